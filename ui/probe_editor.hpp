// The probe editor of a layered geometry: a table of coils (N, R1, R2, L, z, x, role) with Add and
// Remove, and the connection the instrument reads. Coil 1's N, R1, R2 and L are the coil group's
// fields, shown and edited in either place. One coil read absolute is the window's coil as before.
#pragma once

#include <QWidget>

#include <array>
#include <functional>
#include <string>

#include "ui/layered_form.hpp"

class QComboBox;
class QPushButton;
class QTableWidget;

namespace veldo {

class ProbeEditor : public QWidget {
public:
  ProbeEditor(Geometry geometry, QWidget* parent = nullptr);

  ProbeTexts Texts() const;
  void SetTexts(const ProbeTexts& texts);
  // Coil 1's N, R1, R2, L as the coil group holds them.
  void SetFirstCoil(const std::array<std::string, 4>& texts);
  // A coil after the last (its dimensions, a pickup just above the highest coil), or the
  // selected coil removed (coil 1 stays).
  void AddCoil();
  void RemoveCoil();
  int CoilCount() const { return static_cast<int>(rows_.size()); }

  QTableWidget* Coils = nullptr;
  QComboBox* ConnectionBox = nullptr;
  QPushButton *AddButton = nullptr, *RemoveButton = nullptr;

  // Any change of the probe; an edit of coil 1's N, R1, R2 or L (column 0 to 3, its text); the
  // path of a selected cell, which becomes the swept parameter.
  std::function<void()> Changed;
  std::function<void(int, const std::string&)> FirstCoilEdited;
  std::function<void(const std::string&)> CellSelected;

private:
  void Fill(int selectRow);

  Geometry geometry_;
  std::vector<CoilTexts> rows_;
  Connection connection_ = Connection::Absolute;
  bool filling_ = false;
};

}  // namespace veldo
