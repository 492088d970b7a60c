// How the window shows its messages. The window talks to a MessageSink; the program's sink
// shows message boxes, tests put in one that records text and kind.
#pragma once

#include <string>

#include "app/output.hpp"

class QWidget;

namespace veldo {

inline constexpr const char* kApplicationTitle = "VELDO V1.2";

class MessageSink {
public:
  virtual ~MessageSink() = default;
  // The text arrives complete (error texts with their full stop).
  virtual void Show(MessageKind kind, const std::string& text) = 0;
};

// Modal boxes captioned with the application title and one OK button: no icon for the check
// messages, the error icon for errors.
class MessageBoxSink : public MessageSink {
public:
  explicit MessageBoxSink(QWidget* parent) : parent_(parent) {}
  void Show(MessageKind kind, const std::string& text) override;

private:
  QWidget* parent_;
};

}  // namespace veldo
