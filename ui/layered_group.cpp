#include "ui/layered_group.hpp"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

#include "app/case_table.hpp"

namespace veldo {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The object names' stem of a geometry's widgets: "lp" (layered plate), "lt" (tube), "lr" (rod).
QString Stem(Geometry g) { return g == Geometry::Tube ? "lt" : g == Geometry::Rod ? "lr" : "lp"; }

QLineEdit* Field(QWidget* parent, const QString& name) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setFixedWidth(e->fontMetrics().horizontalAdvance("0000000") + 10);
  return e;
}

constexpr const char* kFieldOfColumn[3] = {"thickness", "sigma", "mur"};
const LayerTexts kNewLayer{"0.1", "1.0", "1"};

QString PathText(const PathInfo& p) { return Q(p.name) + (p.unit.empty() ? QString() : " [" + Q(p.unit) + "]"); }

}  // namespace

LayeredGroup::LayeredGroup(Geometry geometry, QWidget* parent)
    : QGroupBox(Q(std::string(kCaseGroupCaption)), parent), geometry_(geometry) {
  const QString stem = Stem(geometry);
  setObjectName("GB" + stem);
  auto* grid = new QGridLayout(this);
  grid->setVerticalSpacing(2);
  grid->addWidget(new QLabel(Q(std::string(kFrequencyCaption)), this), 0, 0);
  Frequency = Field(this, "E" + stem + "f");
  grid->addWidget(Frequency, 0, 1);
  PositionCaption = new QLabel(this);
  grid->addWidget(PositionCaption, 1, 0);
  Position = Field(this, "E" + stem + "pos");
  grid->addWidget(Position, 1, 1);
  Scales = new QLabel(QString::fromUtf8("δ = —, f_g = —"), this);
  Scales->setObjectName("LB" + stem + "scales");
  Scales->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Scales->setToolTip(QString::fromUtf8(
      "The first layer's (the one nearest the coil) skin depth δ = 1/√(π f μ0 μr σ) and limit frequency "
      "f_g = 1/(2π μ0 μr σ r²), with r ") +
      (geometry == Geometry::Plate ? "the coil's mean radius (R1 + R2)/2"
       : geometry == Geometry::Tube ? "the bore radius" : "the rod radius") +
      QString::fromUtf8("; — when σ is 0 or an input is not a number"));
  grid->addWidget(Scales, 0, 2, 2, 2);

  Layers = new QTableWidget(0, 3, this);
  Layers->setObjectName("TB" + stem);
  Layers->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  Layers->verticalHeader()->setDefaultSectionSize(Layers->fontMetrics().height() + 4);
  Layers->setSelectionMode(QAbstractItemView::SingleSelection);
  Layers->setMinimumHeight(5 * (Layers->fontMetrics().height() + 4));
  Layers->setToolTip("Layers from the coil's side; the last one is unbounded. Select a cell to sweep it.");
  grid->addWidget(Layers, 2, 0, 1, 4);
  auto* buttons = new QHBoxLayout;
  auto button = [&](QPushButton*& b, const char* name, const char* caption) {
    b = new QPushButton(caption, this);
    b->setObjectName("BT" + stem + name);
    buttons->addWidget(b);
  };
  button(AddButton, "add", "Add");
  button(RemoveButton, "remove", "Remove");
  button(UpButton, "up", "Up");
  button(DownButton, "down", "Down");
  grid->addLayout(buttons, 3, 0, 1, 4);

  for (int c = 0; c < 3; ++c)
    grid->addWidget(new QLabel(Q(std::string(kColumnCaptions[static_cast<std::size_t>(c)])), this), 4, c + 1);
  SweepPath = new QComboBox(this);
  SweepPath->setObjectName("CB" + stem + "sweep");
  SweepPath->setToolTip("The swept parameter");
  FamilyPath = new QComboBox(this);
  FamilyPath->setObjectName("CB" + stem + "family");
  FamilyPath->setToolTip("A family: one curve per value of a second parameter");
  From = Field(this, "E" + stem + "a");
  To = Field(this, "E" + stem + "b");
  Step = Field(this, "E" + stem + "c");
  FamilyFrom = Field(this, "E" + stem + "fama");
  FamilyTo = Field(this, "E" + stem + "famb");
  FamilyStep = Field(this, "E" + stem + "famc");
  int column = 0;
  for (QWidget* w : {static_cast<QWidget*>(SweepPath), static_cast<QWidget*>(From), static_cast<QWidget*>(To),
                     static_cast<QWidget*>(Step)})
    grid->addWidget(w, 5, column++);
  column = 0;
  for (QWidget* w : {static_cast<QWidget*>(FamilyPath), static_cast<QWidget*>(FamilyFrom),
                     static_cast<QWidget*>(FamilyTo), static_cast<QWidget*>(FamilyStep)})
    grid->addWidget(w, 6, column++);

  connect(AddButton, &QPushButton::clicked, this, [this] { AddLayer(); });
  connect(RemoveButton, &QPushButton::clicked, this, [this] { RemoveLayer(); });
  connect(UpButton, &QPushButton::clicked, this, [this] { MoveLayer(-1); });
  connect(DownButton, &QPushButton::clicked, this, [this] { MoveLayer(1); });
  connect(Layers, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (filling_) return;
    const int r = item->row(), c = item->column();
    if (r < 0 || r >= LayerCount() || (c == 0 && r + 1 == LayerCount())) return;
    rows_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = item->text().toStdString();
    Notify();
  });
  connect(Layers, &QTableWidget::currentCellChanged, this, [this](int row, int col, int, int) {
    if (filling_ || row < 0 || col < 0) return;
    const int i = SweepPath->findData(Q("layers." + std::to_string(row) + "." + kFieldOfColumn[col]));
    if (i >= 0) SweepPath->setCurrentIndex(i);
  });
  connect(Position, &QLineEdit::textChanged, this, [this] { Notify(); });
  connect(Frequency, &QLineEdit::textChanged, this, [this] { ShowScales(coilR1_, coilR2_); });
  SetForm(DefaultLayeredForm(geometry));
}

LayeredForm LayeredGroup::Form() const {
  LayeredForm f;
  f.geometry = geometry_;
  f.units = units_;
  f.position = Position->text().toStdString();
  f.f = Frequency->text().toStdString();
  f.layers = rows_;
  f.sweepPath = SweepPath->currentData().toString().toStdString();
  f.from = From->text().toStdString();
  f.to = To->text().toStdString();
  f.step = Step->text().toStdString();
  f.familyPath = FamilyPath->currentData().toString().toStdString();
  f.familyFrom = FamilyFrom->text().toStdString();
  f.familyTo = FamilyTo->text().toStdString();
  f.familyStep = FamilyStep->text().toStdString();
  return f;
}

void LayeredGroup::SetForm(const LayeredForm& f) {
  units_ = f.units;
  ShowUnits();
  filling_ = true;
  Position->setText(Q(f.position));
  Frequency->setText(Q(f.f));
  From->setText(Q(f.from));
  To->setText(Q(f.to));
  Step->setText(Q(f.step));
  FamilyFrom->setText(Q(f.familyFrom));
  FamilyTo->setText(Q(f.familyTo));
  FamilyStep->setText(Q(f.familyStep));
  filling_ = false;
  rows_ = f.layers.empty() ? std::vector<LayerTexts>{kNewLayer} : f.layers;
  FillTable(-1);
  FillPaths(f.sweepPath, f.familyPath);
  Notify();
}

void LayeredGroup::SetTable(const std::vector<LayerTexts>& layers, const std::string& sweepPath,
                            const std::string& familyPath) {
  rows_ = layers.empty() ? std::vector<LayerTexts>{kNewLayer} : layers;
  FillTable(-1);
  FillPaths(sweepPath, familyPath);
  Notify();
}

void LayeredGroup::AddLayer() {
  const int current = Layers->currentRow();
  // Above the selected layer; with none selected, above the unbounded one.
  const int at = current >= 0 ? current : LayerCount() - 1;
  rows_.insert(rows_.begin() + std::max(at, 0), kNewLayer);
  FillTable(std::max(at, 0));
}

void LayeredGroup::RemoveLayer() {
  if (LayerCount() <= 1) return;
  const int current = Layers->currentRow();
  const int at = current >= 0 ? current : LayerCount() - 1;
  rows_.erase(rows_.begin() + at);
  FillTable(std::min(at, LayerCount() - 1));
}

void LayeredGroup::MoveLayer(int by) {
  const int current = Layers->currentRow();
  const int to = current + by;
  if (current < 0 || to < 0 || to >= LayerCount()) return;
  std::swap(rows_[static_cast<std::size_t>(current)], rows_[static_cast<std::size_t>(to)]);
  FillTable(to);
}

void LayeredGroup::SelectCell(int row, int column) { Layers->setCurrentCell(row, column); }

void LayeredGroup::SetCoilCount(std::size_t coils) {
  if (coils == coils_) return;
  coils_ = coils;
  FillPaths(SweepPath->currentData().toString().toStdString(), FamilyPath->currentData().toString().toStdString());
}

// The table from the texts; the last row's thickness shows the unbounded layer and is not edited.
void LayeredGroup::FillTable(int selectRow) {
  const std::string sweep = SweepPath->currentData().toString().toStdString();
  const std::string family = FamilyPath->currentData().toString().toStdString();
  filling_ = true;
  const int column = std::max(Layers->currentColumn(), 0);
  Layers->setRowCount(LayerCount());
  for (int r = 0; r < LayerCount(); ++r)
    for (int c = 0; c < 3; ++c) {
      const bool unbounded = c == 0 && r + 1 == LayerCount();
      auto* item = new QTableWidgetItem(unbounded ? QString::fromUtf8("∞")
                                                  : Q(rows_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]));
      if (unbounded) {
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        item->setToolTip("The last layer is unbounded");
      }
      Layers->setItem(r, c, item);
    }
  if (selectRow >= 0) Layers->setCurrentCell(selectRow, column);
  filling_ = false;
  if (!sweep.empty() || !family.empty()) FillPaths(sweep, family);
  Notify();
}

// The lists of parameters for the stack as it is, keeping the choices that still name one.
void LayeredGroup::FillPaths(const std::string& sweep, const std::string& family) {
  filling_ = true;
  SweepPath->clear();
  for (const PathInfo& p : SweepablePaths(geometry_, rows_.size(), false, units_, coils_))
    SweepPath->addItem(PathText(p), Q(p.path));
  FamilyPath->clear();
  FamilyPath->addItem("No family", QString());
  for (const PathInfo& p : SweepablePaths(geometry_, rows_.size(), true, units_, coils_))
    FamilyPath->addItem(PathText(p), Q(p.path));
  SweepPath->setCurrentIndex(std::max(SweepPath->findData(Q(sweep)), 0));
  FamilyPath->setCurrentIndex(std::max(FamilyPath->findData(Q(family)), 0));
  filling_ = false;
}

void LayeredGroup::Notify() {
  if (filling_) return;
  ShowScales(coilR1_, coilR2_);
  if (Changed) Changed();
}

void LayeredGroup::SetUnits(const Units& units) {
  if (units == units_) return;
  units_ = units;
  ShowUnits();
  FillPaths(SweepPath->currentData().toString().toStdString(), FamilyPath->currentData().toString().toStdString());
  Notify();
}

// The captions that name a unit: the position's, the table's headers (the texts stay as typed and
// are read in the new units).
void LayeredGroup::ShowUnits() {
  const QString length = Q(std::string(Symbol(units_.length)));
  PositionCaption->setText((geometry_ == Geometry::Plate  ? "Lift-off ["
                            : geometry_ == Geometry::Tube ? "Bore radius ["
                                                          : "Rod radius [") +
                           length + "] :");
  Layers->setHorizontalHeaderLabels({"Thickness [" + length + "]",
                                     QString::fromUtf8("σ [") + Q(std::string(Symbol(units_.conductivity))) + "]",
                                     QString::fromUtf8("μr")});
}

void LayeredGroup::ShowScales(const std::string& r1, const std::string& r2) {
  coilR1_ = r1, coilR2_ = r2;
  Scales->setText(Q(FirstLayerScales(Form(), r1, r2)));
}

}  // namespace veldo
