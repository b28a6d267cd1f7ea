// Sanitizer settings built into every test program, so that a test behaves the same run by
// the test command or by hand.
#include <sanitizer/common_interface_defs.h>

extern "C" {

// One-time allocations inside system libraries that live until the process ends. A leak
// in Lirra's own code is never suppressed here.
__attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libglib-2.0.so\n"
         "leak:libgobject-2.0.so\n"
         "leak:libdbus-1.so\n"
         "leak:libxcb.so\n"
         "leak:libX11.so\n"
         "leak:libQt6XcbQpa.so\n"
         "leak:libQt6DBus.so\n"
         "leak:libqxcb.so\n"
         "leak:libqoffscreen.so\n"
         "leak:libicuuc.so\n";
}

// Mesa's software rasteriser copies a few bytes past its own small buffers while it draws
// (seen under projectM's shaders). The read stays inside Mesa; copies our code makes are
// still checked.
__attribute__((visibility("default"), used)) const char* __asan_default_suppressions() {
  return "interceptor_via_lib:swrast_dri.so\n";
}

__attribute__((visibility("default"), used)) const char* __ubsan_default_options() {
  return "print_stacktrace=1:halt_on_error=1";
}

#ifdef LIRRA_NO_LEAK_SCAN
// Desktop programs keep Qt's own threads (X, GLib, D-Bus) alive until the process ends,
// and LeakSanitizer's exit-time scan of them now and then crashes or reports Qt's one-time
// blocks. Window tests run without the leak scan; memory-error checks stay on.
__attribute__((visibility("default"), used)) const char* __asan_default_options() {
  return "detect_leaks=0";
}
#endif
}
