/* orvana.h is a C header too: this file compiles as C, and the test calls it. */
#include "orvana.h"

uint32_t OrvanaLengthFromC(const char16_t* text, uint32_t length) {
  OrvanaBSTR copy = OrvanaAllocString(text, length);
  const uint32_t counted = OrvanaStringLength(copy);
  OrvanaFreeString(copy);
  return counted;
}
