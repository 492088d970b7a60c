// Renders the main window into PNG files with QWidget::grab(): one picture per reachable
// geometry case (drawing tab in front) and one of the chart after a default sweep of case 1,
// which is also written as the metafile File > Save As makes.
// Usage: veldo-screenshots OUTPUT_DIR
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabBar>

#include <cstdio>

#include "ui/chart.hpp"
#include "ui/main_window.hpp"
#include "ui/messages.hpp"

namespace {

class PrintSink : public veldo::MessageSink {
public:
  void Show(veldo::MessageKind, const std::string& text) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
};

bool Save(QWidget& w, const QDir& dir, const QString& name) {
  QApplication::processEvents();
  const bool ok = w.grab().save(dir.filePath(name));
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(dir.filePath(name)));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: veldo-screenshots OUTPUT_DIR\n");
    return 2;
  }
  QDir dir(QString::fromLocal8Bit(argv[1]));
  if (!dir.mkpath(".")) return 1;
  PrintSink sink;
  veldo::TForm1 form;
  form.SetMessageSink(&sink);
  form.show();
  bool ok = true;
  const struct {
    void (veldo::TForm1::*select)();
    const char* name;
  } cases[] = {{&veldo::TForm1::Halfspace1Click, "case1-planar-1-layer.png"},
               {&veldo::TForm1::Layered1Click, "case2-planar-2-layers.png"},
               {&veldo::TForm1::N1Layer1Click, "case3-bore-1-layer.png"},
               {&veldo::TForm1::N2Layers1Click, "case4-bore-2-layers.png"},
               {&veldo::TForm1::N1Layer2Click, "case5-rod-1-layer.png"},
               {&veldo::TForm1::N2Layers2Click, "case6-rod-2-layers.png"},
               {&veldo::TForm1::N1Layer4Click, "case9-vertical-coil.png"}};
  for (const auto& c : cases) {
    (form.*c.select)();
    form.resize(785, 564);
    ok = Save(form, dir, c.name) && ok;
  }
  form.Halfspace1Click();
  form.ButtonComputeClick();
  form.WaitForCompute();
  form.TabControl1Tabs->setCurrentIndex(1);
  form.resize(785, 564);
  ok = Save(form, dir, "veldo.png") && ok;
  // The same chart as File > Save As writes it.
  const QString emf = dir.filePath("veldo-chart.emf");
  const bool saved = veldo::SaveChartPicture(form.Chart1, emf, veldo::PictureFormat::Emf);
  std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(emf));
  ok = saved && ok;
  return ok ? 0 : 1;
}
