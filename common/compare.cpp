#include "compare.h"

namespace lirra {

bool SameText(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

LocaleCollator::LocaleCollator(const QLocale& locale) : collator_(locale) {
  collator_.setCaseSensitivity(Qt::CaseSensitive);
  collator_.setNumericMode(false);
  collator_.setIgnorePunctuation(false);
}

}  // namespace lirra
