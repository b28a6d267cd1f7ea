// main() for tests that need a QApplication. Listing the tests needs no display, so the
// application object is only created when tests actually run.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstring>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--gtest_list_tests") == 0) return RUN_ALL_TESTS();
  // Wayland window tests reach the test run's compositor by its socket's name.
  if (qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("wayland") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("WAYLAND_DISPLAY", qgetenv("LIRRA_WAYLAND_SOCKET"));
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
