// The settings bar of the instrument display, shown above the chart in that view: where the
// signal is nulled (in air, or at the first point of a curve), the rotation (the lift-off
// direction of a curve turned horizontal, or a typed angle) and the two gains in dB. The window
// turns the settings into the display's transform (app/instrument.hpp).
#pragma once

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

#include "app/instrument.hpp"

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace veldo {

class InstrumentPanel : public QWidget {
public:
  explicit InstrumentPanel(QWidget* parent = nullptr);

  // The settings as typed, or the message for a field that is no number.
  std::optional<InstrumentSettings> Settings(std::string& message) const;
  void SetSettings(const InstrumentSettings& s);
  // The rotation in use, shown beside the settings.
  void ShowAngle(double degrees);

  QComboBox *NullBox = nullptr, *RotationBox = nullptr;
  QSpinBox* Curve = nullptr;
  QLineEdit *Angle = nullptr, *GainH = nullptr, *GainV = nullptr;
  QLabel* AngleInUse = nullptr;
  // After a change of any setting (a text when its editing ends).
  std::function<void()> Changed;
};

}  // namespace veldo
