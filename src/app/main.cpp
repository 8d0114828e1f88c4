#include <QApplication>

#include "app/brevora_app.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Brevora"));
  return brevora::CBrevoraApp().InitInstance();
}
