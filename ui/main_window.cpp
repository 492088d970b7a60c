#include "ui/main_window.hpp"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "app/case_table.hpp"
#include "ui/chart.hpp"
#include "ui/dialogs.hpp"
#include "ui/drawings.hpp"
#include "ui/messages.hpp"
#include "ui/number_text.hpp"

namespace veldo {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Rows of a case group from top to bottom: in the two-layer groups the MR1 row stands above
// the CON2 row, unlike the reading order.
int DisplayRank(Param p) {
  switch (p) {
    case Param::LO:
    case Param::B1: return 0;
    case Param::D1:
    case Param::B2: return 1;
    case Param::CON1: return 2;
    case Param::MR1: return 3;
    case Param::CON2: return 4;
    case Param::MR2: return 5;
    case Param::F: break;  // the frequency row stands first, above every parameter row
  }
  return 6;
}

// The sphere groups (cases 7 and 8) carry fields of their own that nothing reads.
struct SphereRow {
  const char* caption;
  const char* stem;
  const char* from;
  const char* to;
  const char* step;
};
constexpr SphereRow kSphereRows[] = {
    {"Lift-off LO [mm]", "lo", "0.1", "1.0", "0.1"},
    {"Sphere radius B1 [mm]", "b1", "10.0", "20.0", "1.0"},
    {"Layer radius B2 [mm]", "b2", "8.0", "9.0", "0.1"},
    {"Conductivity CON1 [MS/m]", "con1", "1.0", "10.0", "1.0"},
    {"Rel.magn.permeability MR1", "mr1", "1", "10", "1"},
    {"Conductivity CON2 [MS/m]", "con2", "35.4", "50.0", "5.0"},
    {"Rel.magn.permeability MR2", "mr2", "1.0", "10.0", "1.0"},
};

QLineEdit* Field(QWidget* parent, const QString& name, const QString& text) {
  auto* e = new QLineEdit(text, parent);
  e->setObjectName(name);
  e->setFixedWidth(e->fontMetrics().horizontalAdvance("0000000") + 10);
  return e;
}

QLabel* Caption(QWidget* parent, const QString& text) { return new QLabel(text, parent); }

// The window's inputs as they stood when Compute was pressed: every field's text and every
// selector's state, copied on the window's thread, so the worker reads no widget.
class InputSnapshot : public ComputeInput {
public:
  explicit InputSnapshot(const TForm1& form) : separator_(ComputeInput::DecimalSeparator()) {
    for (const QLineEdit* e : form.findChildren<QLineEdit*>())
      if (!e->objectName().isEmpty()) fields_[e->objectName().toStdString()] = e->text().toStdString();
    for (const QRadioButton* r : form.findChildren<QRadioButton*>())
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
  explicit UiQueue(QObject* window) : window_(window) {}

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
    QMetaObject::invokeMethod(window_, [self = shared_from_this()] { self->RunQueued(); },
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

  QObject* const window_;
  std::mutex mutex_;
  std::condition_variable changed_;  // a call ran, room came free, or the window went away
  std::deque<std::function<void()>> calls_;
  std::uint64_t queued_ = 0;  // calls queued so far
  std::uint64_t run_ = 0;     // calls run so far (they run in the order queued)
  bool scheduled_ = false;
  bool abandoned_ = false;
};

}  // namespace

// What the Compute command writes to, on the window's thread: labels, progress bar, curves
// and status bar.
class WindowOutput : public ComputeOutput {
public:
  explicit WindowOutput(TForm1& form) : form_(form) {
    drawPoints_.setSingleShot(true);
    drawPoints_.setInterval(kDrawInterval);
    QObject::connect(&drawPoints_, &QTimer::timeout, [this] { DrawPoints(); });
    rescale_.setSingleShot(true);
    rescale_.setInterval(kRescaleInterval);
    QObject::connect(&rescale_, &QTimer::timeout, [this] { Rescale(); });
  }

  void ShowMessage(MessageKind kind, const std::string& text) override {
    // The chart as it stands when the message comes.
    MovePoints();
    axesBehind_ = false;
    form_.RescaleAxes();
    form_.sink_->Show(kind, text);
  }
  void SetAirCoilLabels(const std::string& reactance, const std::string& inductance) override {
    form_.Labelinductivereactance->setText(QString::fromStdString(reactance));
    form_.Labelinductance->setText(QString::fromStdString(inductance));
  }
  void SetProgressPosition(int position) override {
    form_.PB1->setValue(std::clamp(position, form_.PB1->minimum(), form_.PB1->maximum()));
  }
  void SetProgressMaximum(int maximum) override {
    form_.PB1->setMaximum(std::max(maximum, form_.PB1->minimum()));
  }
  void StepProgress() override {
    form_.PB1->setValue(std::min(form_.PB1->value() + 1, form_.PB1->maximum()));
  }
  int CurveCount() const override { return form_.CurveCount; }
  void BeginCurve(Rgb colour) override {
    MovePoints();
    form_.current_ = form_.BeginCurve(colour);
  }
  void AddPoint(double x, double y) override {
    if (form_.current_ == nullptr) return;
    if (!std::isfinite(x) || !std::isfinite(y)) return;  // as the series' own append drops them
    pending_.append(QPointF(x, y));
    if (!drawPoints_.isActive()) drawPoints_.start();
  }
  // The points received so far go onto the current curve, and the axes follow them. The series
  // lays out the whole curve again for every change and re-ranging the axes lays out every
  // curve, so both are done for many points at a time: points at most every kDrawInterval,
  // the axes at most every kRescaleInterval (and at the end of the command). A long sweep of
  // fast points would otherwise keep the window busy.
  void DrawPoints() {
    MovePoints();
    if (!rescale_.isActive()) Rescale();
  }
  // The points received so far onto the curve, the axes left as they are.
  void MovePoints() {
    drawPoints_.stop();
    if (pending_.isEmpty()) return;
    if (form_.current_ != nullptr) form_.current_->replace(form_.current_->points() + pending_);
    pending_.clear();
    axesBehind_ = true;
  }
  void CountCurve() override {
    if (form_.current_ == nullptr || form_.CurveCount >= kCurveSlots) return;
    if (form_.Curves[static_cast<std::size_t>(form_.CurveCount)] == form_.current_) ++form_.CurveCount;
  }
  void ReportAccuracy(int pointsShort, int pointsTotal, bool airCoilShort) override {
    notice_.clear();
    if (pointsShort > 0)
      notice_ = QString("%1 of %2 points did not reach the requested accuracy").arg(pointsShort).arg(pointsTotal);
    if (airCoilShort) {
      if (!notice_.isEmpty()) notice_ += "; ";
      notice_ += "the coil's reactance in air did not reach the requested accuracy";
    }
    if (notice_.isEmpty())
      form_.statusBar()->clearMessage();
    else
      form_.statusBar()->showMessage(notice_);
  }
  void SweepCancelled(int pointsDone, int pointsTotal) override {
    QString text = QString("Sweep cancelled after %1 of %2 points").arg(pointsDone).arg(pointsTotal);
    if (!notice_.isEmpty()) text += "; " + notice_;
    form_.statusBar()->showMessage(text);
  }

private:
  static constexpr int kDrawInterval = 30;      // ms
  static constexpr int kRescaleInterval = 200;  // ms

  void Rescale() {
    if (!axesBehind_) return;
    axesBehind_ = false;
    form_.RescaleAxes();
    rescale_.start();  // the next time no sooner than this
  }

  TForm1& form_;
  QString notice_;  // the accuracy notice of this command
  QList<QPointF> pending_;  // received, not yet on the curve
  bool axesBehind_ = false;  // points on the curve the axes have not followed yet
  QTimer drawPoints_;
  QTimer rescale_;
};

namespace {

// The output the command sees on its worker: every call goes to the window's output on the
// window's thread, in call order. Messages and the curve count wait for the window (the
// command goes on only after the user has closed the box, as it did when it ran on the
// window's thread); the other calls are queued and the worker goes on at once.
class ForwardingOutput : public ComputeOutput {
public:
  ForwardingOutput(std::shared_ptr<UiQueue> queue, WindowOutput& window)
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

private:
  void Post(std::function<void()> call) {
    KeepFpFlags keep;
    queue_->Post(std::move(call));
  }

  std::shared_ptr<UiQueue> queue_;
  WindowOutput& window_;
};

}  // namespace

// One Compute command in flight: the worker thread and what it shares with the window. The
// window's side (WindowOutput) lives here until the worker has ended and every call it queued
// has run.
class ComputeRun {
public:
  ComputeRun(TForm1& form, TForm1::ComputeCommand command, int testCase)
      : queue_(std::make_shared<UiQueue>(&form)),
        window_(form),
        forward_(queue_, window_),
        input_(form) {
    worker_ = std::jthread([this, &form, command = std::move(command), testCase](std::stop_token stop) {
      // An exception ends the command where it was thrown, with its message, as the window's
      // general error report shows it.
      try {
        command(testCase, input_, forward_, std::move(stop));
      } catch (const std::exception& e) {
        forward_.ShowMessage(MessageKind::Error, ErrorText(e.what()));
      } catch (...) {
        forward_.ShowMessage(MessageKind::Error, ErrorText("The computation ended with an unknown error"));
      }
      // Last in the queue: the window learns of the end after every output of the command.
      queue_->Post([&form] { form.ComputeEnded(); });
    });
  }
  ComputeRun(const ComputeRun&) = delete;
  ComputeRun& operator=(const ComputeRun&) = delete;

  // After the end of the command this only joins what has ended. While it runs (the window is
  // going away), nothing more reaches the window, the command is asked to stop and the worker
  // is joined (a point in progress runs to its end).
  ~ComputeRun() {
    queue_->Abandon();
    worker_.request_stop();
  }

  void RequestStop() { worker_.request_stop(); }
  // The points not drawn yet go onto the curve (the window re-ranges the axes itself).
  void MovePoints() { window_.MovePoints(); }
  bool StopRequested() const { return worker_.get_stop_token().stop_requested(); }
  void Join() { worker_.join(); }

private:
  std::shared_ptr<UiQueue> queue_;
  WindowOutput window_;
  ForwardingOutput forward_;
  const InputSnapshot input_;
  std::jthread worker_;  // last: joined before the rest goes
};

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setObjectName("Form1");
  setWindowTitle(kApplicationTitle);
  ownSink_ = std::make_unique<MessageBoxSink>(this);
  sink_ = ownSink_.get();
#ifdef VELDO_UI_HAVE_COMPUTE
  computeCommand_ = [](int testCase, const ComputeInput& in, ComputeOutput& out, std::stop_token stop) {
    veldo::ButtonComputeClick(testCase, in, out, RealModels(), kAllCores, std::move(stop));
  };
#endif
  AskSavePath = [this] {
    QFileDialog SaveDialog1(this, QString(), QString(), "Enhanced Windows Metafile (*.emf)");
    SaveDialog1.setObjectName("SaveDialog1");
    SaveDialog1.setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1.setDefaultSuffix("emf");
    SaveDialog1.setOption(QFileDialog::DontConfirmOverwrite);  // an existing file is replaced
    if (SaveDialog1.exec() != QDialog::Accepted || SaveDialog1.selectedFiles().isEmpty()) return QString();
    return SaveDialog1.selectedFiles().front();
  };

  CreateMenus();
  auto* central = new QWidget(this);
  central->setObjectName("Central");
  auto* left = new QVBoxLayout;
  auto* coilRow = new QHBoxLayout;
  coilRow->addWidget(CreateCoilGroup());
  ButtonCompute = new QPushButton("Compute", central);
  ButtonCompute->setObjectName("ButtonCompute");
  ButtonCompute->setMinimumWidth(121);
  coilRow->addWidget(ButtonCompute, 1, Qt::AlignBottom);
  left->addLayout(coilRow);
  left->addWidget(CreateOutputGroup());
  for (int k = 1; k <= 9; ++k) left->addWidget(CreateCaseGroup(k));
  left->addStretch(1);
  left->addWidget(CreateAccuracyGroup());
  auto* right = new QVBoxLayout;
  right->addWidget(CreateViews(), 1);
  PB1 = new QProgressBar(central);
  PB1->setObjectName("PB1");
  PB1->setRange(0, 1000);
  PB1->setValue(0);
  PB1->setTextVisible(false);
  PB1->setFixedHeight(17);
  right->addWidget(PB1);
  auto* main = new QHBoxLayout(central);
  main->addLayout(left, 0);
  main->addLayout(right, 1);
  setCentralWidget(central);
  statusBar()->setObjectName("StatusBar1");
  statusBar()->setSizeGripEnabled(true);

  aboutBox_ = std::make_unique<TAboutBox>();
  newDialog_ = std::make_unique<TOKBottomDlg>();
  axesDialog_ = std::make_unique<TOKBottomDlg1>();
  AboutBox = aboutBox_.get();
  OKBottomDlg = newDialog_.get();
  OKBottomDlg1 = axesDialog_.get();
  for (QWidget* w : {static_cast<QWidget*>(AboutBox), static_cast<QWidget*>(OKBottomDlg),
                     static_cast<QWidget*>(OKBottomDlg1)})
    w->setAttribute(Qt::WA_QuitOnClose, false);
  OKBottomDlg->Proceed = [this] { DeleteAllCurves(); };
  OKBottomDlg1->ReadAxes = [this](AxisState& x, AxisState& y) {
    x = xAxis_;
    y = yAxis_;
    x.minimum = BottomAxis(Chart1)->min();
    x.maximum = BottomAxis(Chart1)->max();
    y.minimum = LeftAxis(Chart1)->min();
    y.maximum = LeftAxis(Chart1)->max();
  };
  OKBottomDlg1->ApplyAxes = [this](const AxisForm& x, const AxisForm& y) {
    AxisState xs, ys;
    OKBottomDlg1->ReadAxes(xs, ys);
    const auto error = ApplyAxesLimits(x, y, xs, ys);
    xAxis_ = xs;
    yAxis_ = ys;
    // What was applied before a failed check stays applied, over a zoom too.
    ApplyAxes(Chart1, xAxis_, yAxis_, false);
    if (error) ShowError(*error);
    return !error;
  };

  escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape_->setObjectName("StopShortcut");
  escape_->setEnabled(false);  // only while a command runs

  resize(785, 564);
  ConnectEvents();
  FormCreate();
}

// A command still running is told to stop; nothing it outputs from here on reaches the window.
TForm1::~TForm1() { run_.reset(); }

void TForm1::SetMessageSink(MessageSink* sink) { sink_ = sink != nullptr ? sink : ownSink_.get(); }

void TForm1::CreateMenus() {
  auto action = [this](QMenu* menu, const char* name, const char* caption, bool enabled = true) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    a->setEnabled(enabled);
    return a;
  };
  auto submenu = [](QMenu* menu, const char* name, const char* caption) {
    QMenu* m = menu->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(QString(name) + "Item");
    return m;
  };
  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu1");
  QMenu* file = bar->addMenu("&File");
  file->setObjectName("File1");
  New1 = action(file, "New1", "&New");
  SaveAs1 = action(file, "SaveAs1", "Save &As...");
  Exit1 = action(file, "Exit1", "E&xit");
  QMenu* edit = bar->addMenu("&Edit");
  edit->setObjectName("Edit1");
  AxesLimits1 = action(edit, "AxesLimits1", "Axes Limits...");
  ZoomOut1 = action(edit, "ZoomOut1", "Zoom Out");
  DeleteCurves1 = action(edit, "DeleteCurves1", "Delete Curves");
  DeleteCurves1->setCheckable(true);
  DeleteCurves1->setChecked(false);

  QMenu* geo2 = bar->addMenu("&2D-Geometry");
  geo2->setObjectName("N2DGeometry1");
  QMenu* planar = submenu(geo2, "Planar1", "Planar");
  Halfspace1 = action(planar, "Halfspace1", "1 Layer");
  Layered1 = action(planar, "Layered1", "2 Layers");
  QMenu* id = submenu(geo2, "CylindricalID1", "Cylindrical ID");
  N1Layer1 = action(id, "N1Layer1", "1 Layer");
  N2Layers1 = action(id, "N2Layers1", "2 Layers");
  QMenu* od = submenu(geo2, "CylindricalOD1", "Cylindrical OD");
  N1Layer2 = action(od, "N1Layer2", "1 Layer");
  N2Layers2 = action(od, "N2Layers2", "2 Layers");
  QMenu* sph = submenu(geo2, "Spherical1", "Spherical");
  N1Layer3 = action(sph, "N1Layer3", "1 Layer", false);
  N2Layers3 = action(sph, "N2Layers3", "2 Layers", false);

  QMenu* geo3 = bar->addMenu("&3D-Geometry");
  geo3->setObjectName("N3DGeometry1");
  QMenu* planar2 = submenu(geo3, "Planar2", "PLanar");
  N1Layer4 = action(planar2, "N1Layer4", "1 Layer");
  N2Layers4 = action(planar2, "N2Layers4", "2 Layers", false);
  CylindricalID2 = action(geo3, "CylindricalID2", "Cylindrical ID", false);
  CylindricalOD2 = action(geo3, "CylindricalOD2", "Cylindrical OD", false);
  Spherical2 = action(geo3, "Spherical2", "Spherical", false);

  QMenu* help = bar->addMenu("Help");
  help->setObjectName("Help1");
  About1 = action(help, "About1", "&About");
}

QGroupBox* TForm1::CreateCoilGroup() {
  GBcoil = new QGroupBox("COIL INPUT", this);
  GBcoil->setObjectName("GBcoil");
  auto* grid = new QGridLayout(GBcoil);
  grid->setVerticalSpacing(2);
  int row = 0;
  for (const CommonField& f : kCommonFields) {
    if (f.groupCaption != "COIL INPUT") continue;
    grid->addWidget(Caption(GBcoil, Q(f.caption)), row, 0);
    grid->addWidget(Field(GBcoil, Q(f.name), Q(f.defaultText)), row, 1);
    ++row;
  }
  return GBcoil;
}

QGroupBox* TForm1::CreateOutputGroup() {
  GBoutput = new QGroupBox("OUTPUT", this);
  GBoutput->setObjectName("GBoutput");
  auto* grid = new QGridLayout(GBoutput);
  grid->setVerticalSpacing(2);
  Labelinductance = new QLabel("0.0", GBoutput);
  Labelinductance->setObjectName("Labelinductance");
  Labelinductivereactance = new QLabel("0.0", GBoutput);
  Labelinductivereactance->setObjectName("Labelinductivereactance");
  for (QLabel* l : {Labelinductance, Labelinductivereactance}) {
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  grid->addWidget(Caption(GBoutput, "Inductance [Henry] :"), 0, 0);
  grid->addWidget(Labelinductance, 0, 1);
  grid->addWidget(Caption(GBoutput, "Inductive reactance [Ohm]"), 1, 0);
  grid->addWidget(Labelinductivereactance, 1, 1);
  grid->setColumnStretch(1, 1);
  return GBoutput;
}

QGroupBox* TForm1::CreateAccuracyGroup() {
  const CommonField& acc = kCommonFields[kFieldAcc];
  GBaccuracy = new QGroupBox(Q(acc.groupCaption), this);
  GBaccuracy->setObjectName("GBaccuracy");
  auto* row = new QHBoxLayout(GBaccuracy);
  row->addWidget(Caption(GBaccuracy, Q(acc.caption)));
  row->addWidget(Field(GBaccuracy, Q(acc.name), Q(acc.defaultText)));
  row->addStretch(1);
  return GBaccuracy;
}

QGroupBox* TForm1::CreateCaseGroup(int testCase) {
  const CaseDef& caseDef = *FindCase(testCase);
  auto* group = new QGroupBox(Q(kCaseGroupCaption), this);
  group->setObjectName(Q(caseDef.group));
  auto* grid = new QGridLayout(group);
  grid->setVerticalSpacing(2);
  for (int c = 0; c < 3; ++c) grid->addWidget(Caption(group, Q(kColumnCaptions[static_cast<std::size_t>(c)])), 0, c + 1);
  int row = 2;
  if (!caseDef.params.empty()) {
    // The frequency row sweeps like the others; its selector is not selected at start.
    const ParamDef& f = caseDef.frequency;
    auto* rbf = new QRadioButton(Q(f.caption), group);
    rbf->setObjectName(Q(f.selector));
    grid->addWidget(rbf, 1, 0);
    grid->addWidget(Field(group, Q(f.fromField), Q(f.fromDefault)), 1, 1);
    grid->addWidget(Field(group, Q(f.toField), Q(f.toDefault)), 1, 2);
    grid->addWidget(Field(group, Q(f.stepField), Q(f.stepDefault)), 1, 3);
    std::vector<const ParamDef*> rows;
    for (const ParamDef& p : caseDef.params) rows.push_back(&p);
    std::stable_sort(rows.begin(), rows.end(), [](const ParamDef* a, const ParamDef* b) {
      return DisplayRank(a->id) < DisplayRank(b->id);
    });
    for (const ParamDef* p : rows) {
      auto* rb = new QRadioButton(Q(p->caption), group);
      rb->setObjectName(Q(p->selector));
      rb->setChecked(p == &caseDef.params.front());  // the first in reading order
      grid->addWidget(rb, row, 0);
      grid->addWidget(Field(group, Q(p->fromField), Q(p->fromDefault)), row, 1);
      grid->addWidget(Field(group, Q(p->toField), Q(p->toDefault)), row, 2);
      grid->addWidget(Field(group, Q(p->stepField), Q(p->stepDefault)), row, 3);
      ++row;
    }
  } else {
    // A sphere group: one layer has LO, B1, CON1, MR1; two layers add B2, CON2, MR2.
    grid->addWidget(Caption(group, Q(kFrequencyCaption)), 1, 0);
    const QString prefix = testCase == 7 ? "sp1" : "sp2";
    grid->addWidget(Field(group, "E" + prefix + "f", "100.0"), 1, 1);
    bool first = true;
    for (const SphereRow& r : kSphereRows) {
      const QString stem = r.stem;
      if (testCase == 7 && (stem == "b2" || stem == "con2" || stem == "mr2")) continue;
      auto* rb = new QRadioButton(r.caption, group);
      rb->setObjectName("RB" + prefix + stem);
      rb->setChecked(first);
      first = false;
      grid->addWidget(rb, row, 0);
      grid->addWidget(Field(group, "E" + prefix + stem + "a", r.from), row, 1);
      grid->addWidget(Field(group, "E" + prefix + stem + "b", r.to), row, 2);
      grid->addWidget(Field(group, "E" + prefix + stem + "c", r.step), row, 3);
      ++row;
    }
  }
  CaseGroups[static_cast<std::size_t>(testCase - 1)] = group;
  return group;
}

QWidget* TForm1::CreateViews() {
  static constexpr const char* kDrawingNames[9] = {"Ppr1", "Ppr2", "Pid1", "Pid2", "Pod1",
                                                   "Pod2", "Psp1", "Psp2", "Pvpr1"};
  TabControl1 = new QWidget(this);
  TabControl1->setObjectName("TabControl1");
  auto* layout = new QVBoxLayout(TabControl1);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  TabControl1Tabs = new QTabBar(TabControl1);
  TabControl1Tabs->setObjectName("TabControl1Tabs");
  TabControl1Tabs->addTab("Geometry");
  TabControl1Tabs->addTab("Impedance Plane");
  TabControl1Tabs->setDrawBase(true);
  layout->addWidget(TabControl1Tabs);
  // The tab control's page: every drawing and the chart share one cell; the handlers decide
  // which of them is visible.
  auto* page = new QWidget(TabControl1);
  page->setObjectName("TabControl1Page");
  page->setAutoFillBackground(true);
  auto* cell = new QGridLayout(page);
  cell->setContentsMargins(8, 8, 8, 8);
  for (int k = 1; k <= 9; ++k) {
    auto* d = new TDrawing(k, page);
    d->setObjectName(kDrawingNames[k - 1]);
    d->setMinimumSize(200, 200);
    d->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    cell->addWidget(d, 0, 0);
    Drawings[static_cast<std::size_t>(k - 1)] = d;
  }
  Chart1 = MakeImpedanceChart();
  Chart1View = new ImpedanceChartView(Chart1, page);
  Chart1View->setObjectName("Chart1");
  Chart1View->setMinimumSize(200, 200);
  Chart1View->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  cell->addWidget(Chart1View, 0, 0);
  layout->addWidget(page, 1);
  RescaleAxes();
  return TabControl1;
}

void TForm1::ConnectEvents() {
  connect(ButtonCompute, &QPushButton::clicked, this, &TForm1::ButtonComputeClick);
  connect(escape_, &QShortcut::activated, this, &TForm1::StopCompute);
  connect(Halfspace1, &QAction::triggered, this, &TForm1::Halfspace1Click);
  connect(Layered1, &QAction::triggered, this, &TForm1::Layered1Click);
  connect(N1Layer1, &QAction::triggered, this, &TForm1::N1Layer1Click);
  connect(N2Layers1, &QAction::triggered, this, &TForm1::N2Layers1Click);
  connect(N1Layer2, &QAction::triggered, this, &TForm1::N1Layer2Click);
  connect(N2Layers2, &QAction::triggered, this, &TForm1::N2Layers2Click);
  connect(N1Layer4, &QAction::triggered, this, &TForm1::N1Layer4Click);
  connect(TabControl1Tabs, &QTabBar::currentChanged, this, &TForm1::TabControl1Change);
  connect(About1, &QAction::triggered, this, &TForm1::About1Click);
  connect(New1, &QAction::triggered, this, &TForm1::New1Click);
  connect(SaveAs1, &QAction::triggered, this, &TForm1::SaveAs1Click);
  connect(Exit1, &QAction::triggered, this, &TForm1::Exit1Click);
  connect(AxesLimits1, &QAction::triggered, this, &TForm1::AxesLimits1Click);
  connect(ZoomOut1, &QAction::triggered, this, &TForm1::ZoomOut1Click);
  // The action checks itself when triggered; the handler only has to agree with it.
  connect(DeleteCurves1, &QAction::triggered, this, &TForm1::DeleteCurves1Click);
}

void TForm1::FormCreate() {
  CurveCount = 0;
  TestCase = 1;
  for (std::size_t i = 0; i < Drawings.size(); ++i) Drawings[i]->setVisible(i == 0);
  for (std::size_t i = 0; i < CaseGroups.size(); ++i) CaseGroups[i]->setVisible(i == 0);
  for (QWidget* w : {static_cast<QWidget*>(ButtonCompute), static_cast<QWidget*>(GBcoil),
                     static_cast<QWidget*>(GBoutput), static_cast<QWidget*>(GBaccuracy), TabControl1})
    w->show();
  Chart1View->hide();
}

int TForm1::ActiveTab() const { return TabControl1Tabs->currentIndex(); }

void TForm1::SelectCase(int k) {
  if (Computing()) return;  // the case entries are disabled while a command runs
  if (ActiveTab() == 0)
    for (std::size_t i = 0; i < Drawings.size(); ++i) Drawings[i]->setVisible(static_cast<int>(i) == k - 1);
  for (std::size_t i = 0; i < CaseGroups.size(); ++i) CaseGroups[i]->setVisible(static_cast<int>(i) == k - 1);
  for (QWidget* w : {static_cast<QWidget*>(ButtonCompute), static_cast<QWidget*>(GBcoil),
                     static_cast<QWidget*>(GBoutput), static_cast<QWidget*>(GBaccuracy), TabControl1})
    w->show();
  TestCase = k;
}

void TForm1::TabControl1Change() {
  if (ActiveTab() == 1) {
    for (TDrawing* d : Drawings) d->hide();
    Chart1View->show();
  }
  if (ActiveTab() == 0) {
    for (TDrawing* d : Drawings) d->hide();
    Chart1View->hide();
    if (TestCase >= 1 && TestCase <= 9) Drawings[static_cast<std::size_t>(TestCase - 1)]->show();
  }
}

void TForm1::ButtonComputeClick() {
  if (Computing()) {
    StopCompute();  // the button reads "Stop" while a command runs
    return;
  }
  if (!computeCommand_) {
    ShowError("The computation is not available in this build");
    return;
  }
  statusBar()->clearMessage();
  current_ = nullptr;
  SetComputing(true);
  run_ = std::make_unique<ComputeRun>(*this, computeCommand_, TestCase);
}

void TForm1::StopCompute() {
  if (!Computing() || run_->StopRequested()) return;
  run_->RequestStop();
  ButtonCompute->setEnabled(false);  // back as "Compute" when the command has ended
}

void TForm1::WaitForCompute() {
  while (Computing()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Runs on the window's thread after every output of the command.
void TForm1::ComputeEnded() {
  run_->Join();
  run_->MovePoints();
  run_.reset();
  current_ = nullptr;
  SetComputing(false);
  RescaleAxes();
  if (std::exchange(closePending_, false)) close();
}

// While a command runs, what would change its inputs or remove its curve is disabled: the input
// groups, the case entries and New; Compute becomes Stop. The chart, the tabs, the axes, Save As
// and the dialogs stay in use.
void TForm1::SetComputing(bool computing) {
  ButtonCompute->setText(computing ? "Stop" : "Compute");
  ButtonCompute->setEnabled(true);
  escape_->setEnabled(computing);
  GBcoil->setEnabled(!computing);
  GBaccuracy->setEnabled(!computing);
  for (QGroupBox* g : CaseGroups) g->setEnabled(!computing);
  for (const char* menu : {"N2DGeometry1", "N3DGeometry1"})
    if (auto* m = menuBar()->findChild<QMenu*>(menu)) m->menuAction()->setEnabled(!computing);
  New1->setEnabled(!computing);
  OKBottomDlg->OKBtn->setEnabled(!computing);
}

QLineSeries* TForm1::BeginCurve(Rgb colour) {
  QLineSeries* series = nullptr;
  if (inUse_ < series_.size()) {
    // The next hidden series: the series in use stay the first ones made, so a later curve is
    // still drawn over the earlier ones.
    series = series_[inUse_];
    StyleCurve(series, colour);
    series->show();
  } else {
    series = AddCurve(Chart1, colour);
    connect(series, &QLineSeries::clicked, this, [this, series] { Chart1ClickSeries(series); });
    series_.push_back(series);
  }
  ++inUse_;
  // With every slot taken the curve is drawn but cannot be registered; a curve left in the slot
  // by a command that ended early was never counted. New removes both all the same.
  if (CurveCount < kCurveSlots) Curves[static_cast<std::size_t>(CurveCount)] = series;
  return series;
}

void TForm1::RescaleAxes() {
  ApplyAxes(Chart1, xAxis_, yAxis_);
}

void TForm1::ShowError(const std::string& text) { sink_->Show(MessageKind::Error, ErrorText(text)); }

void TForm1::About1Click() {
  AboutBox->show();
  AboutBox->raise();
  AboutBox->activateWindow();
}

void TForm1::New1Click() {
  OKBottomDlg->show();
  OKBottomDlg->raise();
  OKBottomDlg->activateWindow();
}

void TForm1::DeleteAllCurves() {
  if (Computing()) return;  // New is disabled while a command runs
  // Every curve on the chart goes, registered or not; its series is emptied and hidden for the
  // next curves.
  for (std::size_t i = 0; i < inUse_; ++i) {
    series_[i]->clear();
    series_[i]->hide();
  }
  inUse_ = 0;
  Curves.fill(nullptr);
  CurveCount = 0;
  current_ = nullptr;
  RescaleAxes();
}

void TForm1::SaveAs1Click() {
  const QString path = AskSavePath ? AskSavePath() : QString();
  if (path.isEmpty()) return;
  if (!Chart1View->isVisible()) {
    // Behind the Geometry tab the chart keeps whatever size the toolkit last gave it (often a
    // small default): save it at the size it would be shown at, the drawing's place on a window
    // on screen, its design size otherwise.
    const QWidget* drawing = TestCase >= 1 && TestCase <= 9 ? Drawings[static_cast<std::size_t>(TestCase - 1)] : nullptr;
    Chart1->resize(isVisible() && drawing != nullptr && drawing->isVisible() ? QSizeF(drawing->size())
                                                                             : QSizeF(kChartWidth, kChartHeight));
  }
  if (!SaveChartPicture(Chart1, path, PictureFormat::Emf))
    ShowError(QString("Cannot create file %1").arg(path).toStdString());
}

void TForm1::Exit1Click() { close(); }

void TForm1::AxesLimits1Click() {
  OKBottomDlg1->show();  // FormShow runs when the dialog becomes visible
  OKBottomDlg1->raise();
  OKBottomDlg1->activateWindow();
}

void TForm1::ZoomOut1Click() {
  if (Chart1->isZoomed()) Chart1->zoomReset();
  RescaleAxes();
}

void TForm1::DeleteCurves1Click() {
  // The menu entry carries the check mark and toggles it itself; nothing else to do.
}

void TForm1::Chart1ClickSeries(QLineSeries* series) {
  if (!DeleteCurves1->isChecked() || series == nullptr) return;
  if (Computing() && series == current_) return;  // the curve still being computed stays
  series->clear();
  RescaleAxes();
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (Computing()) {
    // The command is asked to stop; the window closes as soon as it has ended.
    closePending_ = true;
    StopCompute();
    event->ignore();
    return;
  }
  AboutBox->hide();
  OKBottomDlg->hide();
  OKBottomDlg1->hide();
  QMainWindow::closeEvent(event);
}

}  // namespace veldo
