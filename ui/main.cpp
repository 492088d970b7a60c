// Program start: the application title, the main window (which makes the About box and the
// two dialogs, hidden) and the event loop until the main window closes.
#include <QApplication>

#include "ui/main_window.hpp"
#include "ui/messages.hpp"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(veldo::kApplicationTitle);
  veldo::TForm1 form;
  form.EnableSettings();  // window geometry, splitter, last folder, recent sessions
  form.show();
  return QApplication::exec();
}
