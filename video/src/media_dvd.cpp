// The media object's DVD side: navigator commands with the rate that follows them, rates
// either way, and bookmarks in a file of the program's own.
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <cmath>

#include "dvd_place.h"
#include "media.h"

namespace orvana {

namespace {

constexpr double kFastestDvdRate = 16.0;
constexpr qint64 kLargestBookmark = 64 * 1024;

}  // namespace

bool TDShowMedia::DvdCommand(const std::function<bool(DvdNavigator&)>& command, bool normalRate) {
  DvdNavigator* navigator = FGraphBuilt ? kind_->Navigator() : nullptr;
  if (!navigator || !command(*navigator)) return false;
  if (normalRate) {
    FRate = 1.0;
    DvdPlayAtRate(1.0);
  }
  return true;
}

int32_t TDShowMedia::DvdPlayAtRate(double rate) {
  DvdNavigator* navigator = FGraphBuilt ? kind_->Navigator() : nullptr;
  if (!navigator) return ORVANA_S_FALSE;
  if (std::isnan(rate) || std::fabs(rate) > kFastestDvdRate) return ORVANA_E_UNEXPECTED;
  const bool done = rate > 0 ? navigator->PlayForwards(rate) : navigator->PlayBackwards(-rate);
  if (!done) return ORVANA_E_FAIL;
  FRate = rate;
  return ORVANA_S_OK;
}

gboolean TDShowMedia::CheckDvdPlace(gpointer self) {
  static_cast<TDShowMedia*>(self)->TellDvdPlace();
  return G_SOURCE_CONTINUE;
}

void TDShowMedia::TellDvdPlace() {
  DvdNavigator* navigator = FGraphBuilt ? kind_->Navigator() : nullptr;
  if (!navigator) return;
  const DvdPlace place = navigator->Place();
  const DvdReport now = ReportOf(place, stopped_);
  const DvdReport before = dvdReported_;
  if (now.domain != 0) dvdReported_ = now;
  // The host may close the graph from its callback: nothing here is read after it.
  for (const DvdEvent& e : DvdEventsBetween(before, now, place.positionMs, PicturesPerSecond()))
    DispatchEvent(e.code, e.param1, e.param2);
}

bool TDShowMedia::DvdModifyRate(double delta) {
  if (delta == 0 || std::isnan(delta)) return false;
  double rate = FRate + delta;
  // Stepping up out of backward play skips the standstill: forwards at normal speed.
  if (FRate < 0 && rate == 0) rate = 1.0;
  return DvdPlayAtRate(rate) == ORVANA_S_OK;
}

bool TDShowMedia::DvdSetPresentationMode(int32_t mode) {
  return FGraphBuilt && kind_->SetPresentation(graph_, mode);
}

bool TDShowMedia::DvdSetCaptions(bool on) { return FGraphBuilt && kind_->SetCaptions(on); }

void TDShowMedia::DvdSaveBookmark(const std::string& file) {
  DvdNavigator* navigator = FGraphBuilt ? kind_->Navigator() : nullptr;
  if (!navigator || file.empty()) return;
  const DvdPlace place = navigator->Place();
  if (!place.InTitle() && !place.InMenu()) return;
  const std::string text = BookmarkText(kind_->Volume(), place);
  QSaveFile out(QString::fromStdString(file));
  out.setDirectWriteFallback(false);
  if (!out.open(QIODevice::WriteOnly)) return;
  out.write(text.data(), static_cast<qint64>(text.size()));
  out.commit();
}

void TDShowMedia::DvdRestoreBookmark(const std::string& file) {
  DvdNavigator* navigator = FGraphBuilt ? kind_->Navigator() : nullptr;
  if (!navigator) return;
  // A file that is not a bookmark is passed over in silence; a bookmark the disc cannot go
  // to is an error the host sees.
  QFile in(QString::fromStdString(file));
  if (!in.open(QIODevice::ReadOnly) || in.size() > kLargestBookmark) return;
  const std::optional<DvdBookmark> mark = ParseBookmark(in.readAll().toStdString());
  if (!mark) return;
  if (mark->volume != kind_->Volume()) {
    CheckResult(ORVANA_E_INVALIDARG);
    return;
  }
  const DvdPlace& place = mark->place;
  bool done = false;
  if (place.InMenu()) {
    done = navigator->ShowMenu(place.chapter);
  } else if (navigator->PlayTitle(place.title)) {
    navigator->WaitForEnd();
    done = navigator->PlayAtTime(place.positionMs);
    if (done && place.angle != 1) navigator->SelectAngle(place.angle);
  }
  if (!done) {
    CheckResult(ORVANA_E_FAIL);
    return;
  }
  navigator->WaitForEnd();
  FRate = 1.0;
}

}  // namespace orvana
