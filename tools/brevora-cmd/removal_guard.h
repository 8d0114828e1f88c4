// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace brevora {

// Whether `rmdir` must refuse to remove the folder: the root folder or the
// user's home folder itself, however the path is written ("/", "//", "/.",
// "~/.." spelled out, a trailing "/"). Decided on the path text alone, after
// making it absolute against `currentFolder`; `home` empty means none is known.
bool IsProtectedFolder(const std::string& path, const std::string& currentFolder,
                       const std::string& home);

}  // namespace brevora
