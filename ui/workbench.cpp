// The window's workbench commands: exporting and copying the curves, sessions and the list of
// recent ones, the chart views, the point tooltip, and the settings kept between runs.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLegendMarker>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSaveFile>
#include <QSettings>
#include <QSplitter>
#include <QToolTip>
#include <QTreeWidget>
#include <QRegularExpression>

#include <limits>

#include "ui/chart.hpp"
#include "ui/curve_list.hpp"
#include "ui/main_window.hpp"
#include "ui/messages.hpp"
#include "ui/session.hpp"
#include "ui/instrument_view.hpp"
#include "ui/time_view.hpp"
#include "ui/layered_group.hpp"
#include "ui/probe_editor.hpp"

namespace veldo {

namespace {

constexpr int kRecentSessions = 8;
constexpr int kCurveListWidth = 240;

QString Q(const std::string& s) { return QString::fromStdString(s); }

QSettings Settings() { return QSettings("VELDO", "veldo"); }

// Writes text to a file through a temporary one renamed into place.
bool WriteAtomically(const QString& path, const std::string& text) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace

QString TForm1::AskPath(bool save, const QString& filter, const QString& suffix) {
  QFileDialog dialog(this, QString(), lastFolder_, filter);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (save) {
    dialog.setObjectName("SaveDialog1");
    dialog.setDefaultSuffix(suffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // an existing file is replaced
    // A name typed without an extension takes the one of the chosen filter.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
      const qsizetype star = f.indexOf("*.");
      if (star >= 0) dialog.setDefaultSuffix(f.mid(star + 2, f.indexOf(QRegularExpression("[ )]"), star) - star - 2));
    });
  } else {
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  const QString path = dialog.selectedFiles().front();
  lastFolder_ = QFileInfo(path).absolutePath();
  return path;
}

// ---------------------------------------------------------------------------------------------
// Data out

namespace {

std::vector<const CurveRecord*> VisibleRecords(const CurveRegistry& curves) {
  std::vector<const CurveRecord*> records;
  for (int i = 0; i < curves.InUse(); ++i)
    if (curves.Record(i).visible && !curves.Record(i).points.empty()) records.push_back(&curves.Record(i));
  return records;
}

}  // namespace

void TForm1::ExportCurves1Click() {
  const QString path = AskExportPath ? AskExportPath() : QString();
  if (!path.isEmpty()) ExportCurvesFile(path);
}

bool TForm1::ExportCurvesFile(const QString& path) {
  if (WriteAtomically(path, CurvesCsv(VisibleRecords(*curves_), InstrumentHeader()))) return true;
  ShowError(QString("Cannot create file %1").arg(path).toStdString());
  return false;
}

void TForm1::Copy1Click() {
  std::vector<const CurveRecord*> records;
  const int selected = CurveList1->SelectedCurve();
  if (selected >= 0)
    records.push_back(&curves_->Record(selected));
  else
    records = VisibleRecords(*curves_);
  QGuiApplication::clipboard()->setText(Q(CurvesTsv(records, InstrumentHeader())));
}

// ---------------------------------------------------------------------------------------------
// Sessions

Session TForm1::CurrentSession() const {
  Session s;
  s.testCase = testCase_;
  for (const QLineEdit* e : findChildren<QLineEdit*>())
    if (!e->objectName().isEmpty() && !e->objectName().startsWith("qt_"))
      s.fields.emplace_back(e->objectName().toStdString(), e->text().toStdString());
  for (const QRadioButton* r : findChildren<QRadioButton*>())
    if (r->isChecked() && !r->objectName().isEmpty()) s.selected.push_back(r->objectName().toStdString());
  s.view = static_cast<int>(curves_->View());
  s.units = units_;
  s.x = xAxis_;
  s.y = yAxis_;
  for (int i = 0; i < curves_->InUse(); ++i) s.curves.push_back(curves_->Record(i));
  for (const LayeredGroup* g : LayeredGroups) {
    const LayeredForm f = g->Form();
    s.tables.push_back({f.geometry, f.layers, f.sweepPath, f.familyPath});
  }
  for (std::size_t k = 0; k < ProbeEditors.size(); ++k)
    if (const ProbeTexts t = ProbeEditors[k]->Texts(); !IsSingleCoil(t))
      s.probes.emplace_back(std::string(GeometryName(LayeredGroups[k]->geometry())), t);
  if (curves_->View() == ChartView::Instrument) s.instrument = instrument_;
  return s;
}

void TForm1::SaveSession1Click() {
  const QString path = AskSessionSavePath ? AskSessionSavePath() : QString();
  if (!path.isEmpty()) SaveSessionFile(path);
}

bool TForm1::SaveSessionFile(const QString& path) {
  if (!veldo::SaveSessionFile(CurrentSession(), path.toStdString())) {
    ShowError(QString("Cannot create file %1").arg(path).toStdString());
    return false;
  }
  AddRecent(path);
  return true;
}

void TForm1::OpenSession1Click() {
  const QString path = AskSessionOpenPath ? AskSessionOpenPath() : QString();
  if (!path.isEmpty()) OpenSessionFile(path);
}

bool TForm1::OpenSessionFile(const QString& path) {
  if (Computing()) return false;  // Open Session is disabled while a command runs
  auto fail = [&](const std::string& what) {
    ShowError(QString("Cannot open the session %1: %2").arg(path, Q(what)).toStdString());
    return false;
  };
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return fail("the file cannot be read");
  const QByteArray bytes = file.readAll();
  SessionRead read = ReadSession(bytes.toStdString());
  if (!read.session) return fail(read.error);
  const Session& s = *read.session;
  // Every field and selector must be one of this window's before anything changes.
  std::vector<std::pair<QLineEdit*, QString>> fields;
  for (const auto& [name, text] : s.fields) {
    auto* e = findChild<QLineEdit*>(Q(name));
    if (e == nullptr) return fail("the window has no field '" + name + "'");
    fields.emplace_back(e, Q(text));
  }
  std::vector<QRadioButton*> selected;
  for (const std::string& name : s.selected) {
    auto* r = findChild<QRadioButton*>(Q(name));
    if (r == nullptr) return fail("the window has no sweep selector '" + name + "'");
    selected.push_back(r);
  }
  for (const auto& [geometry, probe] : s.probes)
    if (!GeometryNamed(geometry)) return fail("the window has no layered geometry '" + geometry + "' for a probe");

  curves_->RemoveAll();
  SetUnits(s.units);
  for (auto& [e, text] : fields) e->setText(text);
  for (const LayeredTable& t : s.tables)
    LayeredGroups[static_cast<std::size_t>(CaseOfGeometry(t.geometry) - kLayeredPlateCase)]->SetTable(
        t.layers, t.sweepPath, t.familyPath);
  for (QRadioButton* r : selected) r->setChecked(true);
  for (std::size_t k = 0; k < ProbeEditors.size(); ++k) {
    ProbeTexts probe;
    for (const auto& [geometry, t] : s.probes)
      if (GeometryNamed(geometry) == LayeredGroups[k]->geometry()) probe = t;
    ProbeEditors[k]->SetTexts(probe);
  }
  InstrumentPanel1->SetSettings(s.instrument.value_or(InstrumentSettings{}));
  SelectCase(s.testCase);
  xAxis_ = s.x;
  yAxis_ = s.y;
  if (Chart1->isZoomed()) Chart1->zoomReset();
  {
    const QSignalBlocker block(ChartViewSelector);
    ChartViewSelector->setCurrentIndex(s.view);
  }
  curves_->SetView(static_cast<ChartView>(s.view));
  for (const CurveRecord& r : s.curves) curves_->Restore(r);
  InstrumentPanel1->setVisible(curves_->View() == ChartView::Instrument);
  TimePanel1->setVisible(curves_->View() == ChartView::Time);
  if (curves_->View() == ChartView::Instrument) UpdateInstrument();
  CurvesChanged();
  AddRecent(path);
  return true;
}

void TForm1::AddRecent(const QString& path) {
  const QString full = QFileInfo(path).absoluteFilePath();
  recent_.removeAll(full);
  recent_.prepend(full);
  while (recent_.size() > kRecentSessions) recent_.removeLast();
  FillRecentMenu();
}

void TForm1::FillRecentMenu() {
  RecentSessions1->clear();
  for (const QString& path : recent_) {
    QAction* a = RecentSessions1->addAction(path);
    connect(a, &QAction::triggered, this, [this, path] { OpenSessionFile(path); });
  }
  if (recent_.isEmpty()) RecentSessions1->addAction("(none)")->setEnabled(false);
}

// ---------------------------------------------------------------------------------------------
// Views, legend, curve list, tooltip

void TForm1::SetView(ChartView view) {
  if (ChartViewSelector->currentIndex() != static_cast<int>(view)) {
    ChartViewSelector->setCurrentIndex(static_cast<int>(view));  // comes back here
    return;
  }
  curves_->SetView(view);
  InstrumentPanel1->setVisible(view == ChartView::Instrument);
  TimePanel1->setVisible(view == ChartView::Time);
  if (view == ChartView::Instrument) UpdateInstrument();
  if (Chart1->isZoomed()) Chart1->zoomReset();  // a zoom in one view means nothing in another
  CurvesChanged();
}

void TForm1::UpdateInstrument() {
  std::string message;
  const auto s = InstrumentPanel1->Settings(message);
  if (!s) return ShowError(message);
  const auto refuse = [this](const std::string& why) { sink_->Show(MessageKind::Plain, "Check the instrument display: " + why); };
  const CurveRecord* reference = s->curve < curves_->InUse() ? &curves_->Record(s->curve) : nullptr;
  const std::string curve = "curve " + std::to_string(s->curve + 1);
  double dR0 = 0, dX0 = 0, angle = s->angle;
  if (s->null == NullAt::CurveStart || s->rotation == RotationFrom::LiftOff) {
    if (reference == nullptr || reference->points.empty()) {
      if (curves_->InUse() > 0) refuse(curve + " has no points");
      return;
    }
    if (s->null == NullAt::CurveStart) dR0 = reference->points.front().dR, dX0 = reference->points.front().dX;
  }
  if (s->rotation == RotationFrom::LiftOff) {
    if (!reference->layered)
      return refuse("the lift-off direction is computed for the curves of the layered geometries; " + curve +
                    " is of another case: type an angle");
    const LiftOffSlope slope = LiftOffDirection(reference->layered->sweep, reference->layered->familyIndex);
    if (slope.refusal) return refuse(*slope.refusal);
    angle = LiftOffAngle(slope.dR, slope.dX);
  }
  instrument_ = *s;
  instrumentAngle_ = angle;
  InstrumentPanel1->ShowAngle(angle);
  curves_->SetInstrument(MakeTransform(dR0, dX0, angle, s->gainH, s->gainV));
  if (Chart1->isZoomed()) Chart1->zoomReset();
  RescaleAxes();
}

std::string TForm1::InstrumentHeader() const {
  return curves_->View() == ChartView::Instrument ? InstrumentDescription(instrument_, instrumentAngle_) : std::string();
}

void TForm1::CurvesChanged() {
  const ChartView view = curves_->View();
  const bool log = AgainstSwept(view) && curves_->LogSweep();
  const bool time = view == ChartView::Time;
  Units units;  // of the first visible layered curve: its paths' units
  for (int i = curves_->InUse() - 1; i >= 0; --i)
    if (curves_->Record(i).visible && curves_->Record(i).layered) units = curves_->Record(i).layered->units;
  const ViewTitles titles = TitlesOf(view, curves_->SweptParam(), log, units);
  Chart1->setTitle(Q(titles.chart));
  BottomAxis(Chart1)->setTitleText(Q(titles.bottom));
  LeftAxis(Chart1)->setTitleText(Q(titles.left));
  BottomAxis(Chart1)->setLabelFormat(log || time ? "10^%.3g" : "%g");
  LeftAxis(Chart1)->setLabelFormat(time ? "10^%.3g" : view == ChartView::Inductance ? "%.4g" : "%g");

  // The legend names the visible curves that hold points.
  bool anyLabel = false;
  for (int i = 0; i < curves_->InUse(); ++i) {
    QLineSeries* series = curves_->Series(i);
    const CurveRecord& r = curves_->Record(i);
    if (series->name() != Q(r.label)) series->setName(Q(r.label));
    const bool shown = r.visible && !r.points.empty() && !r.label.empty();
    for (QLegendMarker* m : Chart1->legend()->markers(series)) m->setVisible(shown);
    anyLabel = anyLabel || shown;
  }
  for (QAbstractSeries* s : Chart1->series())
    if (curves_->IndexOf(static_cast<QLineSeries*>(s)) < 0)
      for (QLegendMarker* m : Chart1->legend()->markers(s)) m->setVisible(false);
  Chart1->legend()->setVisible(anyLabel);
  Chart1->legend()->setAlignment(Qt::AlignBottom);

  CurveList1->Refresh(*curves_);
  // The list opens by itself with the first curves when the chart keeps its design width beside
  // it; in a smaller window it stays folded at the splitter's edge until dragged open.
  const int total = Splitter1->width();
  if (!listOpened_ && CurveList1->Tree->topLevelItemCount() > 0 && total >= kChartWidth + kCurveListWidth) {
    listOpened_ = true;
    Splitter1->setSizes({total - kCurveListWidth, kCurveListWidth});
  }
  RescaleAxes();
}

QString TForm1::PointTooltipText(int curve, int point) const {
  if (curve < 0 || curve >= curves_->InUse()) return {};
  const CurveRecord& r = curves_->Record(curve);
  if (point < 0 || point >= static_cast<int>(r.points.size())) return {};
  return Q(PointTooltip(r, r.points[static_cast<std::size_t>(point)]));
}

void TForm1::SeriesHovered(QLineSeries* series, QPointF at, bool state) {
  const int curve = curves_->IndexOf(series);
  if (!state || curve < 0) {
    QToolTip::hideText();
    return;
  }
  // The point nearest the mouse on the screen.
  const CurveRecord& r = curves_->Record(curve);
  const bool log = AgainstSwept(curves_->View()) && curves_->LogSweep();
  const QPointF mouse = Chart1->mapToPosition(at, series);
  int best = -1;
  double bestDistance = std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < r.points.size(); ++i) {
    double x = 0, y = 0;
    if (!ViewPoint(r, r.points[i], curves_->View(), log, x, y, curves_->Instrument())) continue;
    const QPointF d = Chart1->mapToPosition(QPointF(x, y), series) - mouse;
    const double distance = d.x() * d.x() + d.y() * d.y();
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<int>(i);
    }
  }
  if (best < 0) return;
  lastTooltip_ = Q(r.label) + "\n" + PointTooltipText(curve, best);
  QToolTip::showText(QCursor::pos(), lastTooltip_, Chart1View);
}

// ---------------------------------------------------------------------------------------------
// Settings

void TForm1::EnableSettings() {
  settings_ = true;
  QSettings s = Settings();
  if (s.contains("window/geometry")) restoreGeometry(s.value("window/geometry").toByteArray());
  if (s.contains("window/splitter")) {
    Splitter1->restoreState(s.value("window/splitter").toByteArray());
    listOpened_ = true;
  }
  lastFolder_ = s.value("files/lastFolder").toString();
  recent_ = s.value("files/recentSessions").toStringList();
  FillRecentMenu();
}

void TForm1::SaveSettings() {
  if (!settings_) return;
  QSettings s = Settings();
  s.setValue("window/geometry", saveGeometry());
  s.setValue("window/splitter", Splitter1->saveState());
  s.setValue("files/lastFolder", lastFolder_);
  s.setValue("files/recentSessions", recent_);
}

}  // namespace veldo
