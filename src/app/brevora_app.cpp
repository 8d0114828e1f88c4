// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/brevora_app.h"

#include <QApplication>
#include <QSystemTrayIcon>

#include "app/app_icon.h"
#include "app/brevora_dlg.h"

namespace brevora {

int CBrevoraApp::InitInstance(const ProgramFolders& folders, const CommandLineOptions& options) {
  folders_ = folders;
  QApplication::setWindowIcon(AppIcon());
  // The window may hide into the tray; the program ends with the window alone.
  QApplication::setQuitOnLastWindowClosed(false);
  MainWindowServices services;
  services.programFolder = folders_.data;
  services.installFolder = folders_.install;
  if (!options.dataFolder.empty()) services.dataFolderOption = folders_.data;
  CBrevoraDlg window(std::move(services));
  if (!window.OnInitDialog()) return 0;
  QObject::connect(&window, &QDialog::finished, qApp, &QCoreApplication::quit);
  // Hidden in the tray only where there is a tray to bring it back from.
  if (options.minimized && QSystemTrayIcon::isSystemTrayAvailable()) {
    window.ToggleWindow();  // hidden, the tray offers "Show"
  } else {
    window.show();
  }
  if (options.startSchedule) window.OnRun();
  QApplication::exec();
  return 0;
}

}  // namespace brevora
