// The list-file reader on arbitrary files: never crashes, every entry it makes has a
// location, no location is accepted twice, and what is written reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QSet>

#include "m3u_format.h"
#include "textfile.h"

namespace {

lirra::TrackList Read(const QStringList& lines, bool* modified) {
  // Every second location "exists", so both branches of the clean-up run.
  const auto exists = [](qsizetype, const QString& path) { return path.size() % 2 == 0; };
  const QStringList data = lirra::CleanM3uLines(lines, exists, modified);
  lirra::TrackList list;
  lirra::AppendM3uEntries(data, list, [](const QString&) { return false; }, modified);
  return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  bool modified = false;
  const lirra::TrackList list = Read(lirra::SplitLines(lirra::DecodeText(bytes)), &modified);
  QSet<QString> seen;
  for (int i = 0; i < list.size(); ++i) {
    const lirra::TrackEntry& e = list.at(i);
    if (e.Location.isEmpty() || e.Location.startsWith(u'#')) std::abort();
    seen.insert(e.Location.toUpper());
    if (e.LengthText && !e.LengthSeconds) std::abort();
  }
  if (seen.size() != list.size()) std::abort();

  // Written and read again: the same locations in the same order, and the same titles
  // where the format keeps them (entries with a length).
  bool again = false;
  const lirra::TrackList back = Read(lirra::M3uLines(list), &again);
  if (back.size() != list.size()) std::abort();
  for (int i = 0; i < list.size(); ++i) {
    if (back.at(i).Location != list.at(i).Location) std::abort();
    if (list.at(i).LengthSeconds && !lirra::IsCueSheetLocation(list.at(i).Location) &&
        back.at(i).Title != list.at(i).Title)
      std::abort();
  }
  return 0;
}
