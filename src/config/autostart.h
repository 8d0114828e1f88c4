// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace brevora {

// "Start at login": an autostart entry (freedesktop.org) that starts the
// program hidden in the tray with its schedule running.

// Where the entry lies: XDG_CONFIG_HOME/autostart/brevora.desktop, else
// HOME/.config/autostart/brevora.desktop (null: not set).
std::string AutostartPath(const char* xdgConfigHome, const char* home);

// The entry's text for the executable at `program`; with `dataFolder`, the
// program starts with that data folder (--data-folder).
std::string AutostartEntry(const std::string& program, const std::string& dataFolder = {});

// Whether the entry is there.
bool AutostartOn(const std::string& path);

// Writes the entry (making its folder) or removes it; 0 on success, else the
// file error's code (base/file_error.h) or 1.
int SetAutostart(const std::string& path, bool on, const std::string& program,
                 const std::string& dataFolder = {});

}  // namespace brevora
