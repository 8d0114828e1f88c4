// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace brevora {

// The folder that holds the running executable, always ending with "/".
// Every file beside the program is this text followed by its name
// ("Brevora.cfg", "Channels.txt", ...). Computed once, on the first call.
std::string GetProgramFolder();

// Whether this process may create files in the folder.
bool IsWritableFolder(const std::string& folder);

// The folder part of an executable path: everything up to and including the
// last "/". A path without any "/" gives "./".
std::string FolderOfPath(const std::string& executablePath);

}  // namespace brevora
