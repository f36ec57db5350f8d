// Program entry: the classes are registered, the splash comes up on top, and the main
// window is built behind it and runs until it is closed.
#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include <exception>
#include <memory>

#include "app/Artwork.h"
#include "app/uDemoMainForm.h"
#include "app/uDemoSplash.h"
#include "frame/ClassRegistration.h"
#include "panels/ControlPanels.h"

int main(int argc, char** argv) {
  using namespace plashbox;
  RegisterClasses(RegisterControlPanels);
  QApplication application(argc, argv);
  QApplication::setOrganizationName("Plashbox");
  QApplication::setApplicationName("Plashbox");
  QApplication::setWindowIcon(ProgramIcon());

  // Shown first and on top, the splash covers the screen's centre while the window comes up
  // behind it; it frees itself once clicked away.
  const QPointer<TWELCOME> splash = new TWELCOME();
  splash->show();

  std::unique_ptr<TMainForm> form;
  try {
    form = std::make_unique<TMainForm>(QApplication::arguments());
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, "Plashbox Demo", QString::fromUtf8(e.what()));
    return 1;
  }
  QObject::connect(form.get(), &TMainForm::Closed, &application, &QApplication::quit);
  form->show();
  if (splash) splash->raise();  // the splash stays above the window that came up behind it
  return QApplication::exec();
}
