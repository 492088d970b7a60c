// One QApplication for a test binary (offscreen unless told otherwise), made on first use; a
// file read or written whole.
#pragma once

#include <QApplication>
#include <QFile>

#include <gtest/gtest.h>

#include <string>

namespace veldo::test {

inline void EnsureQtApp() {
  if (QCoreApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "veldo-ui-test";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives until the process ends
}

inline std::string ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

inline void WriteAll(const QString& path, const std::string& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text.data(), static_cast<qint64>(text.size()));
}

}  // namespace veldo::test
