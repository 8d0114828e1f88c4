#pragma once

#include <string>

namespace brevora {

// Settings beyond Brevora.cfg live in Brevora.ini in the program folder, so
// that Brevora.cfg keeps exactly its own lines:
//
//   [Publishing]
//   PodcastAddress=http://myserver/news/
//
// Lines of other sections and keys are kept as they are when one is written.

// The podcast address (the address under which the executing folder is
// served), ending with "/"; empty when none is set or the file is missing.
std::string ReadPodcastAddress(const std::string& programFolder);

// Writes the address (empty: none) into Brevora.ini, replacing the file
// atomically; 0 on success, else the file error's code (base/file_error.h).
int WritePodcastAddress(const std::string& programFolder, const std::string& address);

}  // namespace brevora
