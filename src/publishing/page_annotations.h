// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace brevora {

// What the publishing step adds to the playlists and pages of a run. `seconds`
// holds the whole seconds of each audio file by its path relative to `top`
// (the working folder's Top); `folder` is the folder of the playlist or page.

// A playlist (.m3u) whose entries' "#EXTINF:-1," give their seconds.
std::string PlaylistWithDurations(const std::string& m3u, const std::filesystem::path& folder,
                                  const std::map<std::string, int>& seconds,
                                  const std::filesystem::path& top);

// A page with a link to its feed in its head, each audio file's duration
// after its download link, and its language (by the audio file's path
// relative to `top`) on its list item.
std::string PageWithFeedAndDurations(std::string page, const std::filesystem::path& folder,
                                     const std::map<std::string, int>& seconds,
                                     const std::filesystem::path& top,
                                     const std::map<std::string, std::string>& languages = {});

}  // namespace brevora
