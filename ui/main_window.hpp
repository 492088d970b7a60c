// The main window: coil, output, case and accuracy groups on the left; the drawing or the
// impedance-plane chart on the right with the progress bar under it; the menus that select
// the geometry case and act on the chart.
//
// Compute runs on a worker thread (ui/compute_run.hpp), so the window keeps painting, switching
// tabs and zooming while a sweep runs; the button turns into Stop (as does Esc) until the command
// has ended. The command's output reaches the window through WindowOutput on the window's thread;
// its curves are kept by the CurveRegistry.
#pragma once

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

#include "ui/axes_limits.hpp"
#include "ui/problem_sweep_qt.hpp"
#include "app/instrument.hpp"
#include "ui/compute_run.hpp"
#include "ui/curve_registry.hpp"
#include "ui/session.hpp"
#include "ui/units_dialog.hpp"
#include "ui/layered_form.hpp"
#include "ui/window_output.hpp"

class QAction;
class QComboBox;
class QMenu;
class QSplitter;
class QChart;
class QGroupBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QProgressBar;
class QPushButton;
class QShortcut;
class QTabBar;

namespace veldo {

class CurveList;
class InstrumentPanel;
class TimePanel;
class LayeredGroup;
class ProbeEditor;
class TStackDrawing;
class ImpedanceChartView;
class MessageSink;
class TAboutBox;
class TDrawing;
class TOKBottomDlg;
class TOKBottomDlg1;
class WindowOutput;

class TForm1 : public QMainWindow {
public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Event handlers, one per control event.
  void FormCreate();
  // Starts the command on a worker and returns at once; while one runs, asks it to stop.
  void ButtonComputeClick();
  void Halfspace1Click() { SelectCase(1); }
  void Layered1Click() { SelectCase(2); }
  void N1Layer1Click() { SelectCase(3); }
  void N2Layers1Click() { SelectCase(4); }
  void N1Layer2Click() { SelectCase(5); }
  void N2Layers2Click() { SelectCase(6); }
  void N1Layer4Click() { SelectCase(9); }
  // The layered geometries (cases 10 to 12): a layered plate, the coil in a tube, round a rod.
  void LayeredPlate1Click() { SelectCase(10); }
  void Tube1Click() { SelectCase(11); }
  void Rod1Click() { SelectCase(12); }
  void TabControl1Change();
  void About1Click();
  void New1Click();
  void SaveAs1Click();
  void Exit1Click();
  void AxesLimits1Click();
  // Edit > Units...: the units of the layered geometries (ui/units_dialog.cpp).
  void Units1Click();
  void SetUnits(const Units& units);
  const Units& CurrentUnits() const { return units_; }
  TUnitsDlg* UnitsDialog() const { return unitsDialog_.get(); }
  void ZoomOut1Click();
  void Chart1ClickSeries(QLineSeries* series);

  // Data out and sessions. The paths come from the seams below (empty: cancelled); a file that
  // cannot be written gives Save As' message and leaves an existing file as it was.
  void ExportCurves1Click();
  void Copy1Click();
  void SaveSession1Click();
  void OpenSession1Click();
  bool ExportCurvesFile(const QString& path);
  bool SaveSessionFile(const QString& path);
  // Reads and checks the whole file first: on any fault one message naming the file and what is
  // wrong, and the window stays as it was. Restores without computing.
  bool OpenSessionFile(const QString& path);
  Session CurrentSession() const;
  QStringList RecentSessions() const { return recent_; }
  std::function<QString()> AskExportPath, AskSessionSavePath, AskSessionOpenPath;

  // What the chart shows; switching recomputes nothing.
  ChartView View() const { return curves_->View(); }
  void SetView(ChartView view);
  // The tooltip of a curve's point, and the last one shown on hover.
  QString PointTooltipText(int curve, int point) const;
  QString LastTooltip() const { return lastTooltip_; }
  // Window geometry, splitter position, last folder and recent sessions persist between runs
  // (QSettings); off unless the program asks for it, so tests leave the user's settings alone.
  void EnableSettings();

  // Whether a Compute command is running; asking it to stop (Stop, Esc); waiting for its end
  // while the event loop runs (for tests and scripts that drive the window).
  bool Computing() const { return run_ != nullptr; }
  void StopCompute();
  void WaitForCompute();

  // Seams: where messages go, what Compute runs, how Save As asks for a path (empty: cancelled).
  void SetMessageSink(MessageSink* sink);
  void SetComputeCommand(ComputeCommand command) { computeCommand_ = std::move(command); }
  // What Compute runs for a layered geometry, on the worker: RunProblemSweep on every core.
  using ProblemCommand = std::function<void(const ProblemSweep&, ComputeOutput&, std::stop_token)>;
  void SetProblemCommand(ProblemCommand command) { problemCommand_ = std::move(command); }
  std::function<QString()> AskSavePath;

  // The selected geometry case, and the curve registry (Curves, CurveCount).
  int TestCase() const { return testCase_; }
  const CurveRegistry& Curves() const { return *curves_; }

  // Controls, by the names the handlers use.
  QPushButton* ButtonCompute = nullptr;
  QGroupBox* GBcoil = nullptr;
  QGroupBox* GBoutput = nullptr;
  QGroupBox* GBaccuracy = nullptr;
  QLabel* Labelinductance = nullptr;
  QLabel* Labelinductivereactance = nullptr;
  std::array<QGroupBox*, 9> CaseGroups{};  // GBpr1 ... GBvpr1, by TestCase - 1
  std::array<TDrawing*, 9> Drawings{};     // Ppr1 ... Pvpr1, by TestCase - 1
  std::array<LayeredGroup*, 3> LayeredGroups{};  // GBlp, GBlt, GBlr, by TestCase - 10
  std::array<ProbeEditor*, 3> ProbeEditors{};    // PElp, PElt, PElr: the probe of each layered group
  TStackDrawing* StackDrawing = nullptr;         // Pstack: the drawing of the layered geometries
  InstrumentPanel* InstrumentPanel1 = nullptr;   // the instrument display's settings, over the chart in that view
  TimePanel* TimePanel1 = nullptr;               // the time-domain view's times and waveform, over the chart in that view
  // The input group of the selected layered geometry, or null.
  LayeredGroup* CurrentLayeredGroup() const;
  QWidget* TabControl1 = nullptr;
  QTabBar* TabControl1Tabs = nullptr;
  ImpedanceChartView* Chart1View = nullptr;  // the widget named Chart1
  QChart* Chart1 = nullptr;
  QProgressBar* PB1 = nullptr;
  QAction *New1 = nullptr, *SaveAs1 = nullptr, *Exit1 = nullptr;
  QAction *AxesLimits1 = nullptr, *ZoomOut1 = nullptr, *DeleteCurves1 = nullptr, *Units1 = nullptr;
  QAction *ExportCurves1 = nullptr, *SaveSession1 = nullptr, *OpenSession1 = nullptr, *Copy1 = nullptr;
  QMenu* RecentSessions1 = nullptr;
  QComboBox* ChartViewSelector = nullptr;
  CurveList* CurveList1 = nullptr;
  QSplitter* Splitter1 = nullptr;
  QAction *Halfspace1 = nullptr, *Layered1 = nullptr, *N1Layer1 = nullptr, *N2Layers1 = nullptr;
  QAction *N1Layer2 = nullptr, *N2Layers2 = nullptr, *N1Layer3 = nullptr, *N2Layers3 = nullptr;
  QAction *N1Layer4 = nullptr, *N2Layers4 = nullptr, *CylindricalID2 = nullptr;
  QAction *CylindricalOD2 = nullptr, *Spherical2 = nullptr, *About1 = nullptr;
  QAction *LayeredPlate1 = nullptr, *Tube1 = nullptr, *Rod1 = nullptr;
  TAboutBox* AboutBox = nullptr;
  TOKBottomDlg* OKBottomDlg = nullptr;
  TOKBottomDlg1* OKBottomDlg1 = nullptr;

  int ActiveTab() const;
  // Axis settings behind the chart (the chart's axes hold the range on show).
  const AxisState& XAxis() const { return xAxis_; }
  const AxisState& YAxis() const { return yAxis_; }

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void CreateMenus();
  QGroupBox* CreateCoilGroup();
  QGroupBox* CreateOutputGroup();
  QGroupBox* CreateAccuracyGroup();
  QGroupBox* CreateCaseGroup(int testCase);
  QWidget* CreateViews();
  void ConnectEvents();
  void SelectCase(int k);
  void ComputeLayered();
  // The group's texts read into the problem sweep, or nothing after the window showed the message.
  std::optional<ProblemSweep> ReadLayered(const ComputeInput& inputs, LayeredForm& form, CurveRecord& head);
  WindowOutputTargets Targets(const CurveRecord& head);
  void ComputeTransients();
  void UpdateStackDrawing();
  void ShowCoilUnits();
  // The probe editors' coil 1 follows the coil group; the sweep lists follow the probe.
  void CoilGroupChanged();
  void ProbeChanged(std::size_t group);
  // The instrument display's transform from its settings (the lift-off direction computed when
  // they ask for it); a setting that cannot be used gives its message and leaves the display as it was.
  void UpdateInstrument();
  // The display's settings for the headers of exports: "" unless the chart shows the display.
  std::string InstrumentHeader() const;
  void DeleteAllCurves();
  // Re-ranges the axes to the data (or their manual limits).
  void RescaleAxes();
  // Message through the seam, as the error box shows it.
  void ShowError(const std::string& text);
  void SetComputing(bool computing);
  void ComputeEnded();
  // The chart's titles, legend and curve list after a change of the curves or the view.
  void CurvesChanged();
  void SeriesHovered(QLineSeries* series, QPointF at, bool state);
  void AddRecent(const QString& path);
  void SaveSettings();
  void FillRecentMenu();
  QString AskPath(bool save, const QString& filter, const QString& suffix);
  QString lastFolder_;
  QStringList recent_;
  bool settings_ = false;
  bool listOpened_ = false;  // the curve list has been given room
  QString lastTooltip_;
  InstrumentSettings instrument_;  // the settings the display's transform was made from
  double instrumentAngle_ = 0;     // the rotation in use [degrees]

  ComputeCommand computeCommand_;
  ProblemCommand problemCommand_;
  std::unique_ptr<MessageSink> ownSink_;
  MessageSink* sink_ = nullptr;
  int testCase_ = 1;
  std::unique_ptr<CurveRegistry> curves_;
  AxisState xAxis_, yAxis_;
  QShortcut* escape_ = nullptr;  // Esc stops a running command
  // The command in flight and its window side; the run goes first.
  std::unique_ptr<WindowOutput> output_;
  std::unique_ptr<ComputeRun> run_;
  bool closePending_ = false;
  std::unique_ptr<TAboutBox> aboutBox_;
  std::unique_ptr<TOKBottomDlg> newDialog_;
  std::unique_ptr<TOKBottomDlg1> axesDialog_;
  std::unique_ptr<TUnitsDlg> unitsDialog_;  // made when first shown
  Units units_;
};

}  // namespace veldo
