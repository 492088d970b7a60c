// The list of curves beside the chart: one row per curve on the chart with its colour, case,
// swept parameter and range, and the fixed values that differ from the defaults; a check box
// shows or hides the curve, the label is edited in place, Delete empties the selected curve.
#pragma once

#include <QWidget>

#include <functional>
#include <string>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace veldo {

class CurveRegistry;

class CurveList : public QWidget {
public:
  explicit CurveList(QWidget* parent = nullptr);

  // Rows for the curves of the registry that still have points.
  void Refresh(const CurveRegistry& curves);
  // The registry index of the selected row, or -1.
  int SelectedCurve() const;
  void SelectCurve(int curve);

  std::function<void(int curve, const std::string& label)> LabelEdited;
  std::function<void(int curve, bool visible)> VisibilityChanged;
  std::function<void(int curve)> DeleteRequested;

  QTreeWidget* Tree = nullptr;
  QPushButton* DeleteButton = nullptr;

private:
  void ItemChanged(QTreeWidgetItem* item, int column);
  bool filling_ = false;
};

}  // namespace veldo
