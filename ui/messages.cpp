#include "ui/messages.hpp"

#include <QMessageBox>

namespace veldo {

void MessageBoxSink::Show(MessageKind kind, const std::string& text) {
  QMessageBox box(kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                  kApplicationTitle, QString::fromStdString(text), QMessageBox::Ok, parent_);
  box.exec();
}

}  // namespace veldo
