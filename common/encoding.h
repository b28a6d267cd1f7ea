// Byte-level text decoding shared by every part of Lirra, Qt-free so the engine and the
// tag reader can use it too.
//
// Files and tags made on Windows are in the Chinese ANSI code page (GBK); files made here
// are UTF-8. The rule: bytes that are valid UTF-8 are UTF-8, anything else is GBK.
#pragma once

#include <string>
#include <string_view>

namespace lirra {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// GBK (code page 936) to UTF-8. A byte sequence GBK cannot map becomes U+FFFD and
// decoding goes on, so one bad byte never loses the rest of a file.
std::string GbkToUtf8(std::string_view bytes);

// The reading rule: a leading UTF-8 byte-order mark is skipped; valid UTF-8 is returned
// as it is; anything else is decoded as GBK.
std::string DecodeToUtf8(std::string_view bytes);

}  // namespace lirra
