// One QApplication for a test binary (offscreen unless told otherwise), made on first use.
#pragma once

#include <QApplication>

namespace veldo::test {

inline void EnsureQtApp() {
  if (QCoreApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "veldo-ui-test";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives until the process ends
}

}  // namespace veldo::test
