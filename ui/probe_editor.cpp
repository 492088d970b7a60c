#include "ui/probe_editor.hpp"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

#include "app/parse.hpp"

namespace veldo {
namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

constexpr int kRoleColumn = 6;
constexpr std::array<const char*, 7> kHeaders = {"N", "R1", "R2", "L", "z", "x", "Role"};
constexpr std::array<const char*, 4> kConnectionCaptions = {"Absolute", "Transmit-receive", "Differential",
                                                             "Differential transmit-receive"};

std::string* Cell(CoilTexts& c, int column) {
  std::array<std::string*, 6> f = {&c.N, &c.R1, &c.R2, &c.L, &c.z, &c.x};
  return f[static_cast<std::size_t>(column)];
}

double Mm(const std::string& text, double fallback) { return ParseStrictReal(text, ".").value_or(fallback); }

}  // namespace

ProbeEditor::ProbeEditor(Geometry geometry, QWidget* parent) : QWidget(parent), geometry_(geometry) {
  const QString stem = geometry == Geometry::Tube ? "lt" : geometry == Geometry::Rod ? "lr" : "lp";
  setObjectName("PE" + stem);
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(2);
  grid->addWidget(new QLabel("Probe :", this), 0, 0);
  ConnectionBox = new QComboBox(this);
  ConnectionBox->setObjectName("CB" + stem + "connection");
  for (const char* c : kConnectionCaptions) ConnectionBox->addItem(c);
  ConnectionBox->setToolTip("What the instrument reads: a coil's own impedance, a pickup's voltage per ampere of "
                            "drive, or two of them in opposition");
  grid->addWidget(ConnectionBox, 0, 1, 1, 3);
  Coils = new QTableWidget(0, static_cast<int>(kHeaders.size()), this);
  Coils->setObjectName("TB" + stem + "coils");
  QStringList headers;
  for (const char* h : kHeaders) headers << h;
  Coils->setHorizontalHeaderLabels(headers);
  Coils->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  Coils->horizontalHeader()->setSectionResizeMode(kRoleColumn, QHeaderView::ResizeToContents);
  Coils->verticalHeader()->setDefaultSectionSize(Coils->fontMetrics().height() + 6);
  Coils->setSelectionMode(QAbstractItemView::SingleSelection);
  Coils->setMinimumHeight(3 * (Coils->fontMetrics().height() + 6));
  Coils->setToolTip("The probe's coils: N turns, radii R1 < R2, height L, z of the lower face above the reference, "
                    "x the axis' offset, in the length unit of Edit > Units... Select a cell to sweep it.");
  if (geometry != Geometry::Plate) Coils->setColumnHidden(5, true);  // in a tube or round a rod the axis is the cylinder's
  grid->addWidget(Coils, 1, 0, 1, 4);
  AddButton = new QPushButton("Add coil", this);
  AddButton->setObjectName("BT" + stem + "addcoil");
  RemoveButton = new QPushButton("Remove coil", this);
  RemoveButton->setObjectName("BT" + stem + "removecoil");
  grid->addWidget(AddButton, 2, 0, 1, 2);
  grid->addWidget(RemoveButton, 2, 2, 1, 2);

  connect(AddButton, &QPushButton::clicked, this, [this] { AddCoil(); });
  connect(RemoveButton, &QPushButton::clicked, this, [this] { RemoveCoil(); });
  connect(ConnectionBox, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (filling_ || i < 0) return;
    connection_ = static_cast<Connection>(i);
    if (Changed) Changed();
  });
  connect(Coils, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (filling_) return;
    const int r = item->row(), c = item->column();
    if (r < 0 || r >= CoilCount() || c >= kRoleColumn) return;
    *Cell(rows_[static_cast<std::size_t>(r)], c) = item->text().toStdString();
    if (r == 0 && c < 4 && FirstCoilEdited) FirstCoilEdited(c, item->text().toStdString());
    if (Changed) Changed();
  });
  connect(Coils, &QTableWidget::currentCellChanged, this, [this](int row, int col, int, int) {
    if (filling_ || row < 0 || col < 0 || col >= kRoleColumn || !CellSelected) return;
    CellSelected(CoilPath(static_cast<std::size_t>(row), col));
  });
  SetTexts({});
}

ProbeTexts ProbeEditor::Texts() const { return {rows_, connection_}; }

void ProbeEditor::SetTexts(const ProbeTexts& t) {
  const CoilTexts first = rows_.empty() ? CoilTexts{} : rows_.front();
  rows_ = t.coils;
  if (rows_.empty()) {
    rows_.push_back(first);
    rows_.front().z = rows_.front().x = "0";
    rows_.front().role = CoilRole::Both;
  }
  connection_ = t.connection;
  Fill(-1);
}

void ProbeEditor::SetFirstCoil(const std::array<std::string, 4>& texts) {
  CoilTexts& c = rows_.front();
  if (c.N == texts[0] && c.R1 == texts[1] && c.R2 == texts[2] && c.L == texts[3]) return;
  c.N = texts[0], c.R1 = texts[1], c.R2 = texts[2], c.L = texts[3];
  Fill(Coils->currentRow());
}

void ProbeEditor::AddCoil() {
  CoilTexts c = rows_.front();
  double top = 0;
  for (const CoilTexts& r : rows_) top = std::max(top, Mm(r.z, 0) + Mm(r.L, 1));
  c.z = QString::number(top + 0.5).toStdString();
  c.x = "0";
  c.role = CoilRole::Pickup;
  rows_.push_back(c);
  Fill(CoilCount() - 1);
}

void ProbeEditor::RemoveCoil() {
  if (CoilCount() <= 1) return;
  const int current = Coils->currentRow();
  const int at = current >= 1 ? current : CoilCount() - 1;
  rows_.erase(rows_.begin() + at);
  Fill(std::min(at, CoilCount() - 1));
}

void ProbeEditor::Fill(int selectRow) {
  filling_ = true;
  ConnectionBox->setCurrentIndex(static_cast<int>(connection_));
  Coils->setRowCount(CoilCount());
  for (int r = 0; r < CoilCount(); ++r) {
    CoilTexts& row = rows_[static_cast<std::size_t>(r)];
    for (int c = 0; c < kRoleColumn; ++c) {
      auto* item = new QTableWidgetItem(Q(*Cell(row, c)));
      if (r == 0 && c < 4) item->setToolTip("Coil 1 is the coil group's coil");
      Coils->setItem(r, c, item);
    }
    auto* role = new QComboBox(Coils);
    role->setObjectName(QString("CBrole%1").arg(r + 1));
    for (const char* name : {"drive", "pickup", "both"}) role->addItem(name);
    role->setCurrentIndex(static_cast<int>(row.role));
    connect(role, &QComboBox::currentIndexChanged, this, [this, r](int i) {
      if (filling_ || i < 0 || r >= CoilCount()) return;
      rows_[static_cast<std::size_t>(r)].role = static_cast<CoilRole>(i);
      if (Changed) Changed();
    });
    Coils->setCellWidget(r, kRoleColumn, role);
  }
  if (selectRow >= 0) Coils->setCurrentCell(selectRow, std::max(Coils->currentColumn(), 0));
  filling_ = false;
  if (Changed) Changed();
}

}  // namespace veldo
