// Item models over the player's track list and playlist library: the views read the
// entries where they are, so a list of any length costs no widget or item per row.
#pragma once

#include <QAbstractTableModel>

#include <functional>

#include "track_list.h"

namespace lirra {

// Columns: title (editable), location and length in seconds (hidden), length text.
class TrackListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using EditHandler = std::function<bool(int row, const QString& text)>;
  TrackListModel(const TrackList& list, EditHandler onEdited, QObject* parent = nullptr)
      : QAbstractTableModel(parent), list_(list), onEdited_(std::move(onEdited)) {}

  // The list changed: rows are re-read (a reset only when their number changed).
  void refresh();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  const TrackList& list_;
  EditHandler onEdited_;
  int shownRows_ = 0;
};

// One column: the list names (editable).
class LibraryModel : public QAbstractListModel {
  Q_OBJECT
 public:
  using EditHandler = std::function<bool(int row, const QString& text)>;
  LibraryModel(const PlaylistLibrary& library, EditHandler onEdited, QObject* parent = nullptr)
      : QAbstractListModel(parent), library_(library), onEdited_(std::move(onEdited)) {}

  void refresh();

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  const PlaylistLibrary& library_;
  EditHandler onEdited_;
};

}  // namespace lirra
