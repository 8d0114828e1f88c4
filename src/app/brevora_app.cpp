#include "app/brevora_app.h"

#include <QApplication>

#include "app/app_icon.h"
#include "app/brevora_dlg.h"
#include "platform/program_folder.h"

namespace brevora {

int CBrevoraApp::InitInstance() {
  programFolder_ = brevora::GetProgramFolder();
  QApplication::setWindowIcon(AppIcon());
  // The window may hide into the tray; the program ends with the window alone.
  QApplication::setQuitOnLastWindowClosed(false);
  MainWindowServices services;
  services.programFolder = programFolder_;
  CBrevoraDlg window(std::move(services));
  if (!window.OnInitDialog()) return 0;
  QObject::connect(&window, &QDialog::finished, qApp, &QCoreApplication::quit);
  window.show();
  QApplication::exec();
  return 0;
}

}  // namespace brevora
