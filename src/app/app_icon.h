// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

namespace brevora {

// The program's icon in every size it ships (window, About box, tray).
QIcon AppIcon();

}  // namespace brevora
