// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace brevora {

// A QR code as rows of modules (true: dark), without the quiet zone around
// it; empty when the text does not fit in one.
using QrModules = std::vector<std::vector<bool>>;

// The QR code of `text` (an address), at error correction level M.
QrModules MakeQrCode(const std::string& text);

}  // namespace brevora
