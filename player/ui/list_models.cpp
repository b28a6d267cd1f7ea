#include "list_models.h"

namespace lirra {

void TrackListModel::refresh() {
  if (list_.size() != shownRows_) {
    beginResetModel();
    shownRows_ = list_.size();
    endResetModel();
  } else if (shownRows_ > 0) {
    emit dataChanged(index(0, 0), index(shownRows_ - 1, columnCount() - 1));
  }
}

int TrackListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }
int TrackListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant TrackListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= list_.size()) return {};
  const TrackEntry& e = list_.at(index.row());
  if (role == Qt::TextAlignmentRole && index.column() == 3)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  switch (index.column()) {
    case 0: return e.Title;
    case 1: return e.Location;
    case 2: return e.LengthSeconds.value_or(QString());
    default: return e.LengthText.value_or(QString());
  }
}

Qt::ItemFlags TrackListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.column() == 0) f |= Qt::ItemIsEditable;
  return f;
}

bool TrackListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || index.column() != 0) return false;
  return onEdited_(index.row(), value.toString());
}

void LibraryModel::refresh() {
  beginResetModel();
  endResetModel();
}

int LibraryModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : library_.size(); }

QVariant LibraryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= library_.size()) return {};
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  return library_.at(index.row()).Name;
}

Qt::ItemFlags LibraryModel::flags(const QModelIndex& index) const {
  return QAbstractListModel::flags(index) | Qt::ItemIsEditable;
}

bool LibraryModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole) return false;
  return onEdited_(index.row(), value.toString());
}

}  // namespace lirra
