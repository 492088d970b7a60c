#include "ui/curve_list.hpp"

#include <QHeaderView>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/case_table.hpp"
#include "app/format.hpp"
#include "ui/curve_registry.hpp"

namespace veldo {

namespace {

constexpr int kLabelColumn = 0;
constexpr int kIndexRole = Qt::UserRole + 1;

QString Q(const std::string& s) { return QString::fromStdString(s); }

QString RangeText(const CurveRecord& r) {
  if (r.points.empty()) return Q(r.param);
  const std::string unit = RecordUnit(r);
  return QString("%1 %2 to %3%4")
      .arg(Q(r.param), Q(SweptValueText(r.points.front().value)), Q(SweptValueText(r.points.back().value)),
           unit.empty() ? QString() : " " + Q(unit));
}

}  // namespace

CurveList::CurveList(QWidget* parent) : QWidget(parent) {
  setObjectName("CurveList1");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  Tree = new QTreeWidget(this);
  Tree->setObjectName("CurveListTree");
  Tree->setColumnCount(4);
  Tree->setHeaderLabels({"Label", "Case", "Swept", "Fixed, not default"});
  Tree->setRootIsDecorated(false);
  Tree->setSelectionMode(QAbstractItemView::SingleSelection);
  Tree->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::SelectedClicked);
  Tree->header()->setStretchLastSection(true);
  layout->addWidget(Tree, 1);
  DeleteButton = new QPushButton("Delete", this);
  DeleteButton->setObjectName("DeleteCurveButton");
  layout->addWidget(DeleteButton);
  connect(Tree, &QTreeWidget::itemChanged, this, &CurveList::ItemChanged);
  connect(DeleteButton, &QPushButton::clicked, this, [this] {
    const int curve = SelectedCurve();
    if (curve >= 0 && DeleteRequested) DeleteRequested(curve);
  });
}

void CurveList::Refresh(const CurveRegistry& curves) {
  const int selected = SelectedCurve();
  filling_ = true;
  Tree->clear();
  for (int i = 0; i < curves.InUse(); ++i) {
    const CurveRecord& r = curves.Record(i);
    if (r.points.empty()) continue;
    auto* item = new QTreeWidgetItem(Tree);
    item->setData(kLabelColumn, kIndexRole, i);
    item->setText(kLabelColumn, Q(r.label));
    item->setFlags(item->flags() | Qt::ItemIsEditable | Qt::ItemIsUserCheckable);
    item->setCheckState(kLabelColumn, r.visible ? Qt::Checked : Qt::Unchecked);
    QPixmap swatch(12, 12);
    swatch.fill(QColor(r.colour.r, r.colour.g, r.colour.b));
    item->setIcon(kLabelColumn, QIcon(swatch));
    item->setText(1, QString("%1 %2").arg(r.testCase).arg(Q(CaseName(r.testCase))));
    item->setText(2, RangeText(r));
    QStringList fixed;
    for (const std::string& f : ChangedFixedFields(r)) fixed << Q(f);
    item->setText(3, fixed.join(", "));
    if (i == selected) item->setSelected(true);
  }
  for (int c = 0; c < 3; ++c) Tree->resizeColumnToContents(c);
  filling_ = false;
}

int CurveList::SelectedCurve() const {
  const auto items = Tree->selectedItems();
  return items.isEmpty() ? -1 : items.front()->data(kLabelColumn, kIndexRole).toInt();
}

void CurveList::SelectCurve(int curve) {
  for (int row = 0; row < Tree->topLevelItemCount(); ++row) {
    QTreeWidgetItem* item = Tree->topLevelItem(row);
    item->setSelected(item->data(kLabelColumn, kIndexRole).toInt() == curve);
  }
}

void CurveList::ItemChanged(QTreeWidgetItem* item, int column) {
  if (filling_ || column != kLabelColumn) return;
  const int curve = item->data(kLabelColumn, kIndexRole).toInt();
  const std::string label = item->text(kLabelColumn).toStdString();
  const bool visible = item->checkState(kLabelColumn) == Qt::Checked;
  // Told once the item has finished changing: the window refills the list, deleting the item.
  QTimer::singleShot(0, this, [this, curve, label, visible] {
    if (LabelEdited) LabelEdited(curve, label);
    if (VisibilityChanged) VisibilityChanged(curve, visible);
  });
}

}  // namespace veldo
