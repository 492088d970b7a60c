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
#include <QComboBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/case_table.hpp"
#include "ui/chart.hpp"
#include "ui/curve_list.hpp"
#include "ui/dialogs.hpp"
#include "ui/drawings.hpp"
#include "ui/instrument_view.hpp"
#include "ui/time_view.hpp"
#include "ui/layered_group.hpp"
#include "ui/probe_editor.hpp"
#include "ui/messages.hpp"
#include "ui/number_text.hpp"
#include "ui/window_output.hpp"

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

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setObjectName("Form1");
  setWindowTitle(kApplicationTitle);
  ownSink_ = std::make_unique<MessageBoxSink>(this);
  sink_ = ownSink_.get();
  computeCommand_ = [](int testCase, const ComputeInput& in, ComputeOutput& out, std::stop_token stop) {
    veldo::ButtonComputeClick(testCase, in, out, RealModels(), kAllCores, std::move(stop));
  };
  problemCommand_ = [](const ProblemSweep& sweep, ComputeOutput& out, std::stop_token stop) {
    RunProblemSweep(sweep, out, kAllCores, std::move(stop));
  };
  AskSavePath = [this] {
    return AskPath(true, "Enhanced Windows Metafile (*.emf);;PNG image (*.png);;SVG image (*.svg)", "emf");
  };
  AskExportPath = [this] { return AskPath(true, "CSV file (*.csv)", "csv"); };
  AskSessionSavePath = [this] { return AskPath(true, "VELDO session (*.veldo.json *.json)", "json"); };
  AskSessionOpenPath = [this] { return AskPath(false, "VELDO session (*.veldo.json *.json);;All files (*)", "json"); };

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
  for (const Geometry g : {Geometry::Plate, Geometry::Tube, Geometry::Rod}) {
    auto* group = new LayeredGroup(g, this);
    group->Changed = [this] { UpdateStackDrawing(); };
    const auto k = static_cast<std::size_t>(CaseOfGeometry(g) - kLayeredPlateCase);
    LayeredGroups[k] = group;
    auto* probe = new ProbeEditor(g, group);
    static_cast<QGridLayout*>(group->layout())->addWidget(probe, 7, 0, 1, 4);
    probe->Changed = [this, k] { ProbeChanged(k); };
    probe->FirstCoilEdited = [this](int column, const std::string& text) {
      static constexpr const char* kNames[4] = {"EditN", "Editr1", "Editr2", "Editl"};
      GBcoil->findChild<QLineEdit*>(kNames[column])->setText(Q(text));
    };
    probe->CellSelected = [group](const std::string& path) {
      const int i = group->SweepPath->findData(Q(path));
      if (i >= 0) group->SweepPath->setCurrentIndex(i);
    };
    ProbeEditors[k] = probe;
    left->addWidget(group);
  }
  left->addStretch(1);
  left->addWidget(CreateAccuracyGroup());
  auto* rightPanel = new QWidget(central);
  rightPanel->setObjectName("ViewPanel");
  auto* right = new QVBoxLayout(rightPanel);
  right->setContentsMargins(0, 0, 0, 0);
  right->addWidget(CreateViews(), 1);
  PB1 = new QProgressBar(central);
  PB1->setObjectName("PB1");
  PB1->setRange(0, 1000);
  PB1->setValue(0);
  PB1->setTextVisible(false);
  PB1->setFixedHeight(17);
  right->addWidget(PB1);
  // The chart and the curve list share the room the inputs leave, the chart growing with it.
  Splitter1 = new QSplitter(Qt::Horizontal, central);
  Splitter1->setObjectName("Splitter1");
  Splitter1->addWidget(rightPanel);
  CurveList1 = new CurveList(Splitter1);
  Splitter1->addWidget(CurveList1);
  CurveList1->setMinimumWidth(1);  // the list folds away to nothing; the chart keeps its room
  Splitter1->setStretchFactor(0, 1);
  Splitter1->setStretchFactor(1, 0);
  Splitter1->setCollapsible(0, false);
  Splitter1->setSizes({369, 0});  // the list opens once there are curves or the user drags it
  CurveList1->LabelEdited = [this](int curve, const std::string& label) {
    if (curves_->Record(curve).label == label) return;
    curves_->SetLabel(curve, label);
    CurvesChanged();
  };
  CurveList1->VisibilityChanged = [this](int curve, bool visible) {
    if (curves_->Record(curve).visible == visible) return;
    curves_->SetVisible(curve, visible);
    CurvesChanged();
  };
  CurveList1->DeleteRequested = [this](int curve) {
    if (Computing() && curves_->Series(curve) == curves_->Current()) return;
    curves_->Clear(curve);
    CurvesChanged();
  };
  auto* main = new QHBoxLayout(central);
  main->addLayout(left, 0);
  main->addWidget(Splitter1, 1);
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
    // What was applied before a failed check stays applied; the zoom ends, so automatic axes
    // follow the data again.
    if (Chart1->isZoomed()) Chart1->zoomReset();
    ApplyAxes(Chart1, xAxis_, yAxis_);
    if (error) ShowError(*error);
    return !error;
  };

  escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape_->setObjectName("StopShortcut");
  escape_->setEnabled(false);  // only while a command runs

  resize(785, 564);
  ConnectEvents();
  FillRecentMenu();
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
  OpenSession1 = action(file, "OpenSession1", "&Open Session...");
  RecentSessions1 = submenu(file, "RecentSessions1", "Open &Recent");
  SaveSession1 = action(file, "SaveSession1", "Save &Session...");
  ExportCurves1 = action(file, "ExportCurves1", "&Export Curves...");
  file->addSeparator();
  Exit1 = action(file, "Exit1", "E&xit");
  QMenu* edit = bar->addMenu("&Edit");
  edit->setObjectName("Edit1");
  Copy1 = action(edit, "Copy1", "&Copy");
  Copy1->setShortcut(QKeySequence::Copy);
  AxesLimits1 = action(edit, "AxesLimits1", "Axes Limits...");
  Units1 = action(edit, "Units1", "Units...");
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
  geo2->addSeparator();
  LayeredPlate1 = action(geo2, "LayeredPlate1", "Layered plate");
  Tube1 = action(geo2, "Tube1", "Tube (coil inside)");
  Rod1 = action(geo2, "Rod1", "Rod or tube (coil outside)");

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
  GBcoil = new QGroupBox(Q(kCommonFields[kFieldR1].groupCaption), this);
  GBcoil->setObjectName("GBcoil");
  auto* grid = new QGridLayout(GBcoil);
  grid->setVerticalSpacing(2);
  int row = 0;
  for (const int i : {kFieldR1, kFieldR2, kFieldL, kFieldN}) {
    const CommonField& f = kCommonFields[static_cast<std::size_t>(i)];
    QLabel* caption = Caption(GBcoil, Q(f.caption));
    caption->setObjectName("LB" + Q(f.name));  // a layered geometry's units show in it
    grid->addWidget(caption, row, 0);
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
  ChartViewSelector = new QComboBox(TabControl1);
  ChartViewSelector->setObjectName("ChartViewSelector");
  for (int v = 0; v < kChartViews; ++v) ChartViewSelector->addItem(Q(ViewName(static_cast<ChartView>(v))));
  ChartViewSelector->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  ChartViewSelector->setMinimumContentsLength(8);
  ChartViewSelector->setToolTip("What the chart shows");
  auto* tabRow = new QHBoxLayout;
  TabControl1Tabs->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);  // the selector gives way
  tabRow->addWidget(TabControl1Tabs);
  tabRow->addStretch(1);
  tabRow->addWidget(ChartViewSelector);
  layout->addLayout(tabRow);
  InstrumentPanel1 = new InstrumentPanel(TabControl1);
  InstrumentPanel1->hide();
  layout->addWidget(InstrumentPanel1);
  TimePanel1 = new TimePanel(TabControl1);
  TimePanel1->hide();
  layout->addWidget(TimePanel1);
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
  StackDrawing = new TStackDrawing(page);
  StackDrawing->setObjectName("Pstack");
  StackDrawing->setMinimumSize(200, 200);
  StackDrawing->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  cell->addWidget(StackDrawing, 0, 0);
  Chart1 = MakeImpedanceChart();
  curves_ = std::make_unique<CurveRegistry>(
      Chart1, [this](QLineSeries* s) { Chart1ClickSeries(s); },
      [this](QLineSeries* s, QPointF at, bool state) { SeriesHovered(s, at, state); });
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
  connect(LayeredPlate1, &QAction::triggered, this, &TForm1::LayeredPlate1Click);
  connect(Tube1, &QAction::triggered, this, &TForm1::Tube1Click);
  connect(Rod1, &QAction::triggered, this, &TForm1::Rod1Click);
  for (const char* name : {"EditN", "Editr1", "Editr2", "Editl"})
    connect(GBcoil->findChild<QLineEdit*>(name), &QLineEdit::textChanged, this, &TForm1::CoilGroupChanged);
  InstrumentPanel1->Changed = [this] { UpdateInstrument(); };
  connect(TabControl1Tabs, &QTabBar::currentChanged, this, &TForm1::TabControl1Change);
  connect(About1, &QAction::triggered, this, &TForm1::About1Click);
  connect(New1, &QAction::triggered, this, &TForm1::New1Click);
  connect(SaveAs1, &QAction::triggered, this, &TForm1::SaveAs1Click);
  connect(Exit1, &QAction::triggered, this, &TForm1::Exit1Click);
  connect(AxesLimits1, &QAction::triggered, this, &TForm1::AxesLimits1Click);
  connect(Units1, &QAction::triggered, this, &TForm1::Units1Click);
  connect(ZoomOut1, &QAction::triggered, this, &TForm1::ZoomOut1Click);
  connect(ExportCurves1, &QAction::triggered, this, &TForm1::ExportCurves1Click);
  connect(Copy1, &QAction::triggered, this, &TForm1::Copy1Click);
  connect(SaveSession1, &QAction::triggered, this, &TForm1::SaveSession1Click);
  connect(OpenSession1, &QAction::triggered, this, &TForm1::OpenSession1Click);
  connect(ChartViewSelector, &QComboBox::currentIndexChanged, this,
          [this](int v) { SetView(static_cast<ChartView>(v)); });
}

void TForm1::FormCreate() {
  testCase_ = 1;
  for (std::size_t i = 0; i < Drawings.size(); ++i) Drawings[i]->setVisible(i == 0);
  for (std::size_t i = 0; i < CaseGroups.size(); ++i) CaseGroups[i]->setVisible(i == 0);
  for (LayeredGroup* g : LayeredGroups) g->hide();
  StackDrawing->hide();
  for (QWidget* w : {static_cast<QWidget*>(ButtonCompute), static_cast<QWidget*>(GBcoil),
                     static_cast<QWidget*>(GBoutput), static_cast<QWidget*>(GBaccuracy), TabControl1})
    w->show();
  Chart1View->hide();
}

LayeredGroup* TForm1::CurrentLayeredGroup() const {
  return IsLayeredCase(testCase_) ? LayeredGroups[static_cast<std::size_t>(testCase_ - kLayeredPlateCase)] : nullptr;
}

void TForm1::UpdateStackDrawing() {
  LayeredGroup* g = CurrentLayeredGroup();
  if (g == nullptr) return;
  auto text = [this](const char* name) { return GBcoil->findChild<QLineEdit*>(name)->text().toStdString(); };
  g->ShowScales(text("Editr1"), text("Editr2"));
  LayeredForm form = g->Form();
  form.probe = ProbeEditors[static_cast<std::size_t>(testCase_ - kLayeredPlateCase)]->Texts();
  StackDrawing->SetStack(form, CoilPicture{text("Editr1"), text("Editr2"), text("Editl")});
}

void TForm1::CoilGroupChanged() {
  auto text = [this](const char* name) { return GBcoil->findChild<QLineEdit*>(name)->text().toStdString(); };
  for (ProbeEditor* e : ProbeEditors) e->SetFirstCoil({text("EditN"), text("Editr1"), text("Editr2"), text("Editl")});
  UpdateStackDrawing();
}

void TForm1::ProbeChanged(std::size_t group) {
  const ProbeTexts t = ProbeEditors[group]->Texts();
  LayeredGroups[group]->SetCoilCount(IsSingleCoil(t) ? 1 : t.coils.size());
  UpdateStackDrawing();
}

int TForm1::ActiveTab() const { return TabControl1Tabs->currentIndex(); }

void TForm1::SelectCase(int k) {
  if (Computing()) return;  // the case entries are disabled while a command runs
  if (ActiveTab() == 0)
    for (std::size_t i = 0; i < Drawings.size(); ++i) Drawings[i]->setVisible(static_cast<int>(i) == k - 1);
  for (std::size_t i = 0; i < CaseGroups.size(); ++i) CaseGroups[i]->setVisible(static_cast<int>(i) == k - 1);
  for (std::size_t i = 0; i < LayeredGroups.size(); ++i)
    LayeredGroups[i]->setVisible(static_cast<int>(i) == k - kLayeredPlateCase);
  if (ActiveTab() == 0) StackDrawing->setVisible(IsLayeredCase(k));
  for (QWidget* w : {static_cast<QWidget*>(ButtonCompute), static_cast<QWidget*>(GBcoil),
                     static_cast<QWidget*>(GBoutput), static_cast<QWidget*>(GBaccuracy), TabControl1})
    w->show();
  testCase_ = k;
  ShowCoilUnits();
  UpdateStackDrawing();
}

void TForm1::TabControl1Change() {
  if (ActiveTab() == 1) {
    for (TDrawing* d : Drawings) d->hide();
    StackDrawing->hide();
    Chart1View->show();
  }
  if (ActiveTab() == 0) {
    for (TDrawing* d : Drawings) d->hide();
    Chart1View->hide();
    if (testCase_ >= 1 && testCase_ <= 9) Drawings[static_cast<std::size_t>(testCase_ - 1)]->show();
    if (IsLayeredCase(testCase_)) StackDrawing->show();
  }
}

void TForm1::ButtonComputeClick() {
  if (Computing()) {
    StopCompute();  // the button reads "Stop" while a command runs
    return;
  }
  statusBar()->clearMessage();
  if (curves_->View() == ChartView::Time) return ComputeTransients();
  if (IsLayeredCase(testCase_)) return ComputeLayered();
  SetComputing(true);
  auto inputs = SnapshotInputs(*this);
  const std::string param = SelectedParam(testCase_, [&](std::string_view s) { return inputs->IsSelected(s); });
  CurveRecord head = MakeRecordHead(testCase_, param, Rgb{}, [&](const std::string& n) { return inputs->FieldText(n); });
  output_ = std::make_unique<WindowOutput>(WindowOutputTargets{Labelinductivereactance, Labelinductance, PB1,
                                                               statusBar(), curves_.get(), sink_,
                                                               [this] { RescaleAxes(); }, std::move(head)});
  run_ = std::make_unique<ComputeRun>(this, computeCommand_, testCase_, std::move(inputs), *output_,
                                      [this] { ComputeEnded(); });
}

// The group's texts are read here, on the window's thread, into the problem and its sweep (a
// message ends the command before it starts); the worker runs the sweep.
std::optional<ProblemSweep> TForm1::ReadLayered(const ComputeInput& inputs, LayeredForm& form, CurveRecord& head) {
  const LayeredGroup& group = *CurrentLayeredGroup();
  form = group.Form();
  form.probe = ProbeEditors[static_cast<std::size_t>(testCase_ - kLayeredPlateCase)]->Texts();
  head.testCase = testCase_;
  head.param = form.sweepPath;
  for (const char* name : {"Editr1", "Editr2", "Editl", "EditN", "Editacc"}) head.inputs.emplace_back(name, inputs.FieldText(name));
  for (const QLineEdit* e : group.findChildren<QLineEdit*>())
    if (!e->objectName().isEmpty()) head.inputs.emplace_back(e->objectName().toStdString(), e->text().toStdString());
  WindowOutput reading(Targets(head));
  return ReadLayeredForm(form, inputs, reading);
}

WindowOutputTargets TForm1::Targets(const CurveRecord& head) {
  return WindowOutputTargets{Labelinductivereactance, Labelinductance, PB1, statusBar(), curves_.get(), sink_,
                             [this] { RescaleAxes(); }, head};
}

void TForm1::ComputeLayered() {
  auto inputs = SnapshotInputs(*this);
  LayeredForm form;
  CurveRecord head;
  const std::optional<ProblemSweep> sweep = ReadLayered(*inputs, form, head);
  if (!sweep) return;
  head.layered = LayeredCurve{*sweep, -1, form.units};
  head.label = LayeredLabel(*sweep, form.from, form.to, -1, form.units);
  WindowOutputTargets t = Targets(head);
  t.familyLabel = [s = *sweep, from = form.from, to = form.to, u = form.units](int k) {
    return LayeredLabel(s, from, to, k, u);
  };
  output_ = std::make_unique<WindowOutput>(std::move(t));
  SetComputing(true);
  ComputeCommand command = [run = problemCommand_, s = *sweep](int, const ComputeInput&, ComputeOutput& out,
                                                               std::stop_token stop) { run(s, out, std::move(stop)); };
  run_ = std::make_unique<ComputeRun>(this, std::move(command), testCase_, std::move(inputs), *output_,
                                      [this] { ComputeEnded(); });
}

// The time-domain view's Compute: the transients of the layered problem, one curve per value of
// its sweep. A transient takes about a millisecond, so the command runs here, on the window's thread.
void TForm1::ComputeTransients() {
  if (!IsLayeredCase(testCase_))
    return sink_->Show(MessageKind::Plain, "The time-domain view computes the transients of the layered plate, tube "
                                           "and rod: choose one of them under 2D Geometry");
  auto inputs = SnapshotInputs(*this);
  LayeredForm form;
  CurveRecord head;
  const std::optional<ProblemSweep> sweep = ReadLayered(*inputs, form, head);
  if (!sweep) return;
  const auto in = ReadTransientTexts(TimePanel1->Texts(), inputs->DecimalSeparator());
  if (const auto* message = std::get_if<std::string>(&in)) return sink_->Show(MessageKind::Plain, *message);
  head.colour = sweep->colour;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const TransientCurves curves =
      TransientSweep(*sweep, std::get<TransientInputs>(in), head, form.units, kCurveSlots - curves_->Count());
  QApplication::restoreOverrideCursor();
  if (!curves.message.empty())
    return sink_->Show(curves.fault ? MessageKind::Error : MessageKind::Plain, curves.message);
  for (const CurveRecord& r : curves.records) curves_->Restore(r);
  if (curves.pointsShort > 0)
    statusBar()->showMessage(QString("%1 of %2 transients have times that did not reach the requested accuracy "
                                     "(see the points' tooltips)").arg(curves.pointsShort).arg(curves.records.size()));
  CurvesChanged();
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
  run_.reset();
  output_->MovePoints();
  output_.reset();
  curves_->EndCurrent();
  SetComputing(false);
  CurvesChanged();
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
  for (LayeredGroup* g : LayeredGroups) g->setEnabled(!computing);
  for (const char* menu : {"N2DGeometry1", "N3DGeometry1"})
    if (auto* m = menuBar()->findChild<QMenu*>(menu)) m->menuAction()->setEnabled(!computing);
  New1->setEnabled(!computing);
  OpenSession1->setEnabled(!computing);
  Units1->setEnabled(!computing);
  RecentSessions1->menuAction()->setEnabled(!computing);
  OKBottomDlg->OKBtn->setEnabled(!computing);
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
  curves_->RemoveAll();
  CurvesChanged();
}

void TForm1::SaveAs1Click() {
  const QString path = AskSavePath ? AskSavePath() : QString();
  if (path.isEmpty()) return;
  if (!Chart1View->isVisible()) {
    // Behind the Geometry tab the chart keeps whatever size the toolkit last gave it (often a
    // small default): save it at the size it would be shown at, the drawing's place on a window
    // on screen, its design size otherwise.
    const QWidget* drawing = IsLayeredCase(testCase_) ? static_cast<const QWidget*>(StackDrawing)
                                                      : Drawings[static_cast<std::size_t>(testCase_ - 1)];
    Chart1->resize(isVisible() && drawing->isVisible() ? QSizeF(drawing->size()) : QSizeF(kChartWidth, kChartHeight));
  }
  if (!SaveChartPicture(Chart1, path, PictureFormatOf(path).value_or(PictureFormat::Emf)))
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

void TForm1::Chart1ClickSeries(QLineSeries* series) {
  if (!DeleteCurves1->isChecked() || series == nullptr) return;
  if (Computing() && series == curves_->Current()) return;  // the curve still being computed stays
  const int curve = curves_->IndexOf(series);
  if (curve >= 0) curves_->Clear(curve);
  CurvesChanged();
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (Computing()) {
    // The command is asked to stop; the window closes as soon as it has ended.
    closePending_ = true;
    StopCompute();
    event->ignore();
    return;
  }
  SaveSettings();
  AboutBox->hide();
  OKBottomDlg->hide();
  OKBottomDlg1->hide();
  QMainWindow::closeEvent(event);
}

}  // namespace veldo
