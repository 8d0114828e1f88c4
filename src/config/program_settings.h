// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brevora {

// Settings beyond Brevora.cfg live in Brevora.ini in the program folder, so
// that Brevora.cfg keeps exactly its own lines:
//
//   [Publishing]
//   PodcastAddress=http://myserver/news/
//   OwnerEmail=jo@example.org     (the feeds' owner; none when empty)
//
//   [Sharing]
//   Enabled=1
//   Port=8642
//   Listen=AllNetworks            (or ThisComputer)
//   Token=the secret of the shared addresses
//
//   [Window]
//   X=120                         (where the window was last closed)
//   Y=80
//
//   [Voices]
//   PerArticle=1                  (0: every article in the chosen voice)
//   Seen=de,fr                    (the languages runs met)
//   fr=French (France)            (a language's voice, by its description,
//                                  or "the chosen voice")
//
// Lines of other sections and keys are kept as they are when one is written.

// The podcast address (the address under which the executing folder is
// served), ending with "/"; empty when none is set or the file is missing.
std::string ReadPodcastAddress(const std::string& programFolder);

// Writes the address (empty: none) into Brevora.ini, replacing the file
// atomically; 0 on success, else the file error's code (base/file_error.h).
int WritePodcastAddress(const std::string& programFolder, const std::string& address);

// The e-mail address the podcast feeds give as their owner's; empty when
// none is set.
std::string ReadOwnerEmail(const std::string& programFolder);
int WriteOwnerEmail(const std::string& programFolder, const std::string& email);

// Sharing the executing folder on the home network.
struct ShareSettings {
  bool enabled = false;
  int port = 8642;
  bool allInterfaces = true;
  std::string token;  // empty until one is made
};

// The settings, the defaults for what is missing or out of range.
ShareSettings ReadShareSettings(const std::string& programFolder);

// Writes every sharing setting, keeping the file's other lines; 0 on success,
// else the file error's code.
int WriteShareSettings(const std::string& programFolder, const ShareSettings& settings);

// Where the window was last closed ([Window] X and Y); nothing when unknown.
std::optional<std::pair<int, int>> ReadWindowPosition(const std::string& programFolder);
int WriteWindowPosition(const std::string& programFolder, int x, int y);

// Reading every article in its own language's voice.
struct LanguageSettings {
  bool perArticle = true;
  // Voices chosen for languages: "fr" to "French (France)".
  std::map<std::string, std::string> voices;
  // The languages runs met ("de", "fr"), at most kMaxSeenLanguages.
  std::vector<std::string> seen;
};
inline constexpr size_t kMaxSeenLanguages = 60;
inline constexpr char kTheChosenVoice[] = "the chosen voice";

// The languages "Voices for languages..." lists: those seen and those with a
// voice set, in order.
std::vector<std::string> LanguagesOfTable(const LanguageSettings& settings);

// Adds the languages to those seen (their primary subtags), keeping
// Brevora.ini's other lines; 0 on success, else the file error's code.
int RememberLanguages(const std::string& programFolder, const std::vector<std::string>& languages);

// The settings of [Voices]; a missing file or section gives the defaults.
LanguageSettings ReadLanguageSettings(const std::string& programFolder);

// Writes [Voices] whole, keeping the file's other sections; 0 on success,
// else the file error's code.
int WriteLanguageSettings(const std::string& programFolder, const LanguageSettings& settings);

}  // namespace brevora
