// Text comparisons used by the player.
#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>

namespace lirra {

// Unicode-aware, case-insensitive equality (locations, list names).
bool SameText(const QString& a, const QString& b);

// Locale-aware, case-sensitive ordering for sorting titles and list names, by the rules
// of the given locale (the system's by default). Build one and reuse it: setting up a
// collator is far more costly than one comparison.
class LocaleCollator {
 public:
  explicit LocaleCollator(const QLocale& locale = QLocale::system());
  int compare(const QString& a, const QString& b) const { return collator_.compare(a, b); }
  bool operator()(const QString& a, const QString& b) const { return compare(a, b) < 0; }
  // For sorting many texts: keys compare in the collator's order.
  QCollatorSortKey sortKey(const QString& text) const { return collator_.sortKey(text); }

 private:
  QCollator collator_;
};

}  // namespace lirra
