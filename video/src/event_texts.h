// The descriptive texts of graph event codes (Orvana_GetEventCode): each begins with the
// event constant's name.
#pragma once

#include <cstdint>

namespace orvana {

// The text of `code`; "Unknow Graph Event" for a code without one.
const char* EventCodeText(int32_t code);

}  // namespace orvana
