// The script of the fake tag reader (libfake_tags.so), reached through FakeTags_Script().
#pragma once

#include <string>

struct FakeTagsScript {
  std::string title = "fake tags";   // "%TITL"
  std::string artist = "fake tags";  // "%ARTI"
  std::string album;                 // "%ALBM"
};
