// The interface tests need an application object, and one without a display: the offscreen
// platform unless the caller chose another.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (!platform || platform[0] == '\0') setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
