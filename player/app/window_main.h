// The entry of liblirra_window.so (window_main.cpp), as the program looks it up.
#pragma once

namespace lirra {
class EarlyStart;
class DisplayHold;
}  // namespace lirra

using WindowMainFunction = int (*)(int argc, char** argv, lirra::EarlyStart* early,
                                   lirra::DisplayHold* display);
constexpr const char* kWindowLibrary = "liblirra_window.so";
constexpr const char* kWindowMain = "lirra_window_main";
