// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_icon.h"

namespace brevora {

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/brevora/brevora-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace brevora
