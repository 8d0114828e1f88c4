// SPDX-License-Identifier: GPL-3.0-or-later
#include "sharing/qr_code.h"

#include <qrencode.h>

#include <memory>

namespace brevora {

QrModules MakeQrCode(const std::string& text) {
  const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
      QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
  if (!code) return {};
  const int width = code->width;
  QrModules rows(static_cast<size_t>(width), std::vector<bool>(static_cast<size_t>(width)));
  for (int y = 0; y < width; ++y) {
    for (int x = 0; x < width; ++x) {
      rows[y][x] = (code->data[y * width + x] & 1) != 0;  // bit 0: dark
    }
  }
  return rows;
}

}  // namespace brevora
