// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/gui/dialog_widgets.h"

#include <QPushButton>

namespace brevora {

QPushButton* MakeButton(const char* text, const char* objectName, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setObjectName(QString::fromUtf8(objectName));
  button->setAutoDefault(false);
  return button;
}

}  // namespace brevora
