// A Compute command on a worker thread, seen from the window: the command reads a copy of the
// window's inputs taken at the click, and every call it makes to its output is handed to the
// window's thread and made there, in call order. The window keeps painting, switching tabs and
// zooming meanwhile; nothing here touches a widget but to copy the inputs.
#pragma once

#include <functional>
#include <memory>
#include <stop_token>

#include "app/compute.hpp"

class QObject;
class QWidget;

namespace veldo {

// What the window's Compute button runs. It runs on a worker thread: it must not touch the
// window but through its input and output, and should end soon after the stop token asks it to.
using ComputeCommand =
    std::function<void(int testCase, const ComputeInput&, ComputeOutput&, std::stop_token)>;

// The inputs of a window as they stand now: the text of every named edit field and the state of
// every named radio button among its children. Made on the window's thread; read on any.
std::unique_ptr<ComputeInput> SnapshotInputs(const QWidget& window);

// One command in flight. Its output calls reach `windowSide` on the thread of `context`, in the
// order made; messages and the curve count wait there for the window (a message box the user
// closes before the command goes on), the others are queued. `ended` runs on that thread after
// the command's last output. An exception thrown by the command ends it with its message.
// Destroying the run while the command runs asks it to stop, waits for the worker (a point in
// progress runs to its end) and lets nothing more reach `windowSide`.
class ComputeRun {
public:
  ComputeRun(QObject* context, ComputeCommand command, int testCase,
             std::unique_ptr<ComputeInput> input, ComputeOutput& windowSide,
             std::function<void()> ended);
  ComputeRun(const ComputeRun&) = delete;
  ComputeRun& operator=(const ComputeRun&) = delete;
  ~ComputeRun();

  void RequestStop();
  bool StopRequested() const;
  // Waits for the worker thread; once `ended` has run it is gone or about to be.
  void Join();

private:
  class Worker;
  std::unique_ptr<Worker> worker_;
};

}  // namespace veldo
