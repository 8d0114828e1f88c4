// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/gui/channel_dialog_services.h"

#include <QDialog>

namespace brevora {

int RunModal(const ChannelDialogServices& services, QDialog& dialog) {
  return services.runModal ? services.runModal(dialog) : dialog.exec();
}

}  // namespace brevora
