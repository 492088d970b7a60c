#include "ui/compute_run.hpp"

#include <QLineEdit>
#include <QObject>
#include <QRadioButton>
#include <QWidget>

#include <cfenv>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "ui/number_text.hpp"

namespace veldo {

namespace {

// The window's inputs as they stood when Compute was pressed: every field's text and every
// selector's state, copied on the window's thread, so the worker reads no widget.
class InputSnapshot : public ComputeInput {
public:
  explicit InputSnapshot(const QWidget& window) : separator_(ComputeInput::DecimalSeparator()) {
    for (const QLineEdit* e : window.findChildren<QLineEdit*>())
      if (!e->objectName().isEmpty()) fields_[e->objectName().toStdString()] = e->text().toStdString();
    for (const QRadioButton* r : window.findChildren<QRadioButton*>())
      if (!r->objectName().isEmpty()) selected_[r->objectName().toStdString()] = r->isChecked();
  }
  std::string FieldText(std::string_view name) const override {
    const auto it = fields_.find(name);
    return it != fields_.end() ? it->second : std::string();
  }
  bool IsSelected(std::string_view radioName) const override {
    const auto it = selected_.find(radioName);
    return it != selected_.end() && it->second;
  }
  std::string DecimalSeparator() const override { return separator_; }

private:
  std::map<std::string, std::string, std::less<>> fields_;
  std::map<std::string, bool, std::less<>> selected_;
  std::string separator_;
};

// The command tests the floating-point flags of its own arithmetic on its own thread. The
// flags are per thread, so the window's drawing cannot reach them; what the hand-over to the
// window's thread does on the worker is kept out of them all the same.
class KeepFpFlags {
public:
  KeepFpFlags() { std::fegetexceptflag(&flags_, FE_ALL_EXCEPT); }
  ~KeepFpFlags() { std::fesetexceptflag(&flags_, FE_ALL_EXCEPT); }
  KeepFpFlags(const KeepFpFlags&) = delete;
  KeepFpFlags& operator=(const KeepFpFlags&) = delete;

private:
  std::fexcept_t flags_;
};

// Calls from the worker, run on the window's thread in the order made. Post queues a call and
// returns; Call queues one and waits until it has run (a message box the user must close, a
// value the window holds). The window's thread runs what is queued in batches, one event per
// batch, and returns to its event loop between them. Abandon (the window is going away) drops
// what is queued, releases a waiting worker and turns every later call into nothing.
class UiQueue : public std::enable_shared_from_this<UiQueue> {
public:
  explicit UiQueue(QObject* context) : context_(context) {}

  void Post(std::function<void()> call) {
    std::unique_lock<std::mutex> lock(mutex_);
    // A worker far ahead of the window waits for it rather than queueing without bound.
    changed_.wait(lock, [&] { return abandoned_ || calls_.size() < kMaxQueued; });
    if (abandoned_) return;
    calls_.push_back(std::move(call));
    ++queued_;
    ScheduleRun();
  }

  // Returns false when the window went away before the call ran.
  bool Call(std::function<void()> call) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (abandoned_) return false;
    calls_.push_back(std::move(call));
    const std::uint64_t ticket = ++queued_;
    ScheduleRun();
    changed_.wait(lock, [&] { return abandoned_ || run_ >= ticket; });
    return run_ >= ticket;
  }

  void Abandon() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      abandoned_ = true;
      calls_.clear();
    }
    changed_.notify_all();
  }

private:
  static constexpr std::size_t kMaxQueued = 4096;

  // Under the lock: one event at a time is on its way to the window's thread.
  void ScheduleRun() {
    if (scheduled_) return;
    scheduled_ = true;
    QMetaObject::invokeMethod(context_, [self = shared_from_this()] { self->RunQueued(); },
                              Qt::QueuedConnection);
  }

  // On the window's thread: the calls queued so far, in order. Calls queued meanwhile wait for
  // the next event, so painting and input get their turn between batches.
  void RunQueued() {
    std::deque<std::function<void()>> batch;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      scheduled_ = false;
      batch.swap(calls_);
    }
    changed_.notify_all();  // room in the queue
    for (auto& call : batch) {
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (abandoned_) return;
      }
      call();
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++run_;
      }
      changed_.notify_all();
    }
  }

  QObject* const context_;  // its thread runs the calls
  std::mutex mutex_;
  std::condition_variable changed_;  // a call ran, room came free, or the window went away
  std::deque<std::function<void()>> calls_;
  std::uint64_t queued_ = 0;  // calls queued so far
  std::uint64_t run_ = 0;     // calls run so far (they run in the order queued)
  bool scheduled_ = false;
  bool abandoned_ = false;
};

// The output the command sees on its worker: every call goes to the window's output on the
// window's thread, in call order. Messages and the curve count wait for the window (the
// command goes on only after the user has closed the box, as it did when it ran on the
// window's thread); the other calls are queued and the worker goes on at once.
class ForwardingOutput : public ComputeOutput {
public:
  ForwardingOutput(std::shared_ptr<UiQueue> queue, ComputeOutput& window)
      : queue_(std::move(queue)), window_(window) {}

  void ShowMessage(MessageKind kind, const std::string& text) override {
    KeepFpFlags keep;
    queue_->Call([this, kind, &text] { window_.ShowMessage(kind, text); });
  }
  void SetAirCoilLabels(const std::string& reactance, const std::string& inductance) override {
    Post([this, reactance, inductance] { window_.SetAirCoilLabels(reactance, inductance); });
  }
  void SetProgressPosition(int position) override {
    Post([this, position] { window_.SetProgressPosition(position); });
  }
  void SetProgressMaximum(int maximum) override {
    Post([this, maximum] { window_.SetProgressMaximum(maximum); });
  }
  void StepProgress() override {
    Post([this] { window_.StepProgress(); });
  }
  int CurveCount() const override {
    KeepFpFlags keep;
    int count = 0;
    // A window that went away has no room for a curve: the command ends at its first check.
    if (!queue_->Call([this, &count] { count = window_.CurveCount(); })) return kCurveSlots;
    return count;
  }
  void BeginCurve(Rgb colour) override {
    Post([this, colour] { window_.BeginCurve(colour); });
  }
  void AddPoint(double x, double y) override {
    Post([this, x, y] { window_.AddPoint(x, y); });
  }
  void CountCurve() override {
    Post([this] { window_.CountCurve(); });
  }
  void ReportAccuracy(int pointsShort, int pointsTotal, bool airCoilShort) override {
    Post([=, this] { window_.ReportAccuracy(pointsShort, pointsTotal, airCoilShort); });
  }
  void SweepCancelled(int pointsDone, int pointsTotal) override {
    Post([=, this] { window_.SweepCancelled(pointsDone, pointsTotal); });
  }
  void AirCoilValues(double X0, double L0) override {
    Post([=, this] { window_.AirCoilValues(X0, L0); });
  }
  void PointComputed(const PointDetails& point) override {
    Post([this, point, param = std::string(point.param)] {
      PointDetails p = point;
      p.param = param;
      window_.PointComputed(p);
    });
  }

private:
  void Post(std::function<void()> call) {
    KeepFpFlags keep;
    queue_->Post(std::move(call));
  }

  std::shared_ptr<UiQueue> queue_;
  ComputeOutput& window_;
};

}  // namespace

std::unique_ptr<ComputeInput> SnapshotInputs(const QWidget& window) {
  return std::make_unique<InputSnapshot>(window);
}

// The worker thread and what it shares with the window's thread.
class ComputeRun::Worker {
public:
  Worker(QObject* context, ComputeCommand command, int testCase, std::unique_ptr<ComputeInput> input,
         ComputeOutput& windowSide, std::function<void()> ended)
      : queue_(std::make_shared<UiQueue>(context)), forward_(queue_, windowSide), input_(std::move(input)) {
    thread_ = std::jthread([this, command = std::move(command), testCase,
                            ended = std::move(ended)](std::stop_token stop) {
      // An exception ends the command where it was thrown, with its message, as the window's
      // general error report shows it.
      try {
        command(testCase, *input_, forward_, std::move(stop));
      } catch (const std::exception& e) {
        forward_.ShowMessage(MessageKind::Error, ErrorText(e.what()));
      } catch (...) {
        forward_.ShowMessage(MessageKind::Error, ErrorText("The computation ended with an unknown error"));
      }
      // Last in the queue: the window learns of the end after every output of the command.
      queue_->Post(ended);
    });
  }
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // Nothing more reaches the window; the command is asked to stop and the thread is joined.
  ~Worker() {
    queue_->Abandon();
    thread_.request_stop();
  }

  std::shared_ptr<UiQueue> queue_;
  ForwardingOutput forward_;
  const std::unique_ptr<ComputeInput> input_;
  std::jthread thread_;  // last: joined before the rest goes
};

ComputeRun::ComputeRun(QObject* context, ComputeCommand command, int testCase,
                       std::unique_ptr<ComputeInput> input, ComputeOutput& windowSide,
                       std::function<void()> ended)
    : worker_(std::make_unique<Worker>(context, std::move(command), testCase, std::move(input), windowSide,
                                       std::move(ended))) {}

ComputeRun::~ComputeRun() = default;

void ComputeRun::RequestStop() { worker_->thread_.request_stop(); }

bool ComputeRun::StopRequested() const { return worker_->thread_.get_stop_token().stop_requested(); }

void ComputeRun::Join() {
  if (worker_->thread_.joinable()) worker_->thread_.join();
}

}  // namespace veldo
