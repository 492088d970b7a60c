// The input group of a layered geometry: the frequency, the lift-off (plate) or radius (tube, rod),
// the table of layers from the coil's side (the last one unbounded: a plate's half-space, the
// medium round a tube, a rod's core), the swept parameter with From, To and Step, and an optional
// family (a second parameter, one curve per value). Any cell of the table is swept by selecting
// it; the two lists name every parameter.
#pragma once

#include <QGroupBox>

#include <functional>

#include "ui/layered_form.hpp"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace veldo {

class LayeredGroup : public QGroupBox {
public:
  LayeredGroup(Geometry geometry, QWidget* parent = nullptr);

  Geometry geometry() const { return geometry_; }
  // The inputs as they stand now (texts), and back.
  LayeredForm Form() const;
  void SetForm(const LayeredForm& form);
  // The layers and the chosen paths alone (the edit fields are restored by their names).
  void SetTable(const std::vector<LayerTexts>& layers, const std::string& sweepPath, const std::string& familyPath);
  // The units the fields are typed in: the captions, the table's headers and the lists follow.
  void SetUnits(const Units& units);
  const Units& units() const { return units_; }
  // The first layer's skin depth and limit frequency beside the inputs, for the coil's texts.
  void ShowScales(const std::string& r1, const std::string& r2);

  // The table: a layer with the default texts above the selected one (the unbounded layer stays
  // last unless moved), the selected layer removed (one stays), the selected layer moved.
  void AddLayer();
  void RemoveLayer();
  void MoveLayer(int by);
  int LayerCount() const { return static_cast<int>(rows_.size()); }
  // Selects a cell; its parameter becomes the swept one.
  void SelectCell(int row, int column);
  // The probe's number of coils, which names the coil parameters in the two lists.
  void SetCoilCount(std::size_t coils);

  QTableWidget* Layers = nullptr;
  QPushButton *AddButton = nullptr, *RemoveButton = nullptr, *UpButton = nullptr, *DownButton = nullptr;
  QLineEdit *Frequency = nullptr, *Position = nullptr;
  QComboBox *SweepPath = nullptr, *FamilyPath = nullptr;
  QLineEdit *From = nullptr, *To = nullptr, *Step = nullptr;
  QLineEdit *FamilyFrom = nullptr, *FamilyTo = nullptr, *FamilyStep = nullptr;
  QLabel *PositionCaption = nullptr, *Scales = nullptr;

  // Runs after any change of the stack or the position (the drawing follows).
  std::function<void()> Changed;

private:
  void FillTable(int selectRow);
  void FillPaths(const std::string& sweep, const std::string& family);
  void Notify();
  void ShowUnits();

  Geometry geometry_;
  std::vector<LayerTexts> rows_;  // the texts as typed; the last row's thickness is kept, not read
  bool filling_ = false;
  Units units_;
  std::string coilR1_, coilR2_;  // the coil's texts the scales were last shown for
  std::size_t coils_ = 1;
};

}  // namespace veldo
