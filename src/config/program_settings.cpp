// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/program_settings.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "base/file_io.h"
#include "base/text.h"

namespace brevora {

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// The value of `key` in `section` ("[Publishing]"), trimmed; nothing when missing.
std::optional<std::string> ReadIniValue(const std::string& programFolder,
                                        const std::string& section, const std::string& key) {
  std::string text;
  if (ReadWholeFile(programFolder + "Brevora.ini", text) != 0) return std::nullopt;
  const std::string prefix = key + "=";
  bool inSection = false;
  for (const std::string& line : Lines(text)) {
    const std::string trimmed(TrimBlanks(line));
    if (trimmed.starts_with("[")) inSection = trimmed == section;
    if (inSection && trimmed.starts_with(prefix))
      return std::string(TrimBlanks(trimmed.substr(prefix.size())));
  }
  return std::nullopt;
}

// Sets the values of `section`'s keys, keeping every other line.
int WriteIniValues(const std::string& programFolder, const std::string& section,
                   const std::vector<std::pair<std::string, std::string>>& values) {
  std::string text;
  ReadWholeFile(programFolder + "Brevora.ini", text);  // a missing file is a new one
  std::vector<std::string> lines = Lines(text);
  for (const auto& [key, value] : values) {
    const std::string entry = key + "=" + value;
    bool inSection = false, written = false, hasSection = false;
    size_t sectionEnd = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::string trimmed(TrimBlanks(lines[i]));
      if (trimmed.starts_with("[")) {
        if (inSection) sectionEnd = i;
        inSection = trimmed == section;
        hasSection = hasSection || inSection;
        if (inSection) sectionEnd = lines.size();
      }
      if (inSection && trimmed.starts_with(key + "=") && !written) {
        lines[i] = entry;
        written = true;
      }
    }
    if (!written && hasSection) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), entry);
    } else if (!written) {
      lines.push_back(section);
      lines.push_back(entry);
    }
  }
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return WriteFileAtomically(programFolder + "Brevora.ini", out, FileAccess::kOwnerOnly);
}

}  // namespace

std::string ReadPodcastAddress(const std::string& programFolder) {
  std::string address =
      ReadIniValue(programFolder, "[Publishing]", "PodcastAddress").value_or(std::string());
  if (!address.empty() && address.back() != '/') address += '/';
  return address;
}

int WritePodcastAddress(const std::string& programFolder, const std::string& address) {
  return WriteIniValues(programFolder, "[Publishing]", {{"PodcastAddress", address}});
}

std::string ReadOwnerEmail(const std::string& programFolder) {
  return ReadIniValue(programFolder, "[Publishing]", "OwnerEmail").value_or(std::string());
}

int WriteOwnerEmail(const std::string& programFolder, const std::string& email) {
  return WriteIniValues(programFolder, "[Publishing]", {{"OwnerEmail", email}});
}

ShareSettings ReadShareSettings(const std::string& programFolder) {
  ShareSettings settings;
  const auto value = [&](const char* key) {
    return ReadIniValue(programFolder, "[Sharing]", key).value_or(std::string());
  };
  settings.enabled = value("Enabled") == "1";
  const std::string port = value("Port");
  if (!port.empty() && port.size() <= 5 &&
      port.find_first_not_of("0123456789") == std::string::npos) {
    const int number = std::stoi(port);
    if (number >= 1 && number <= 65535) settings.port = number;
  }
  settings.allInterfaces = value("Listen") != "ThisComputer";
  settings.token = value("Token");
  return settings;
}

int WriteShareSettings(const std::string& programFolder, const ShareSettings& settings) {
  return WriteIniValues(programFolder, "[Sharing]",
                        {{"Enabled", settings.enabled ? "1" : "0"},
                         {"Port", std::to_string(settings.port)},
                         {"Listen", settings.allInterfaces ? "AllNetworks" : "ThisComputer"},
                         {"Token", settings.token}});
}

std::optional<std::pair<int, int>> ReadWindowPosition(const std::string& programFolder) {
  const auto x = ReadIniValue(programFolder, "[Window]", "X");
  const auto y = ReadIniValue(programFolder, "[Window]", "Y");
  if (!x || !y) return std::nullopt;
  try {
    size_t usedX = 0, usedY = 0;
    const int left = std::stoi(*x, &usedX);
    const int top = std::stoi(*y, &usedY);
    if (usedX != x->size() || usedY != y->size()) return std::nullopt;
    return std::make_pair(left, top);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

int WriteWindowPosition(const std::string& programFolder, int x, int y) {
  return WriteIniValues(programFolder, "[Window]",
                        {{"X", std::to_string(x)}, {"Y", std::to_string(y)}});
}

LanguageSettings ReadLanguageSettings(const std::string& programFolder) {
  LanguageSettings settings;
  std::string text;
  if (ReadWholeFile(programFolder + "Brevora.ini", text) != 0) return settings;
  bool inSection = false;
  for (const std::string& line : Lines(text)) {
    const std::string trimmed(TrimBlanks(line));
    if (trimmed.starts_with("[")) {
      inSection = trimmed == "[Voices]";
      continue;
    }
    const size_t equals = trimmed.find('=');
    if (!inSection || equals == std::string::npos) continue;
    const std::string key = LowerAscii(TrimBlanks(std::string_view(trimmed).substr(0, equals)));
    const std::string value(TrimBlanks(std::string_view(trimmed).substr(equals + 1)));
    if (key == "perarticle") {
      settings.perArticle = value != "0";
    } else if (key == "seen") {
      for (size_t start = 0; start < value.size() && settings.seen.size() < kMaxSeenLanguages;) {
        size_t end = value.find(',', start);
        if (end == std::string::npos) end = value.size();
        const std::string language = LowerAscii(TrimBlanks(value.substr(start, end - start)));
        if (!language.empty() && language.size() <= 8 &&
            language.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos) {
          settings.seen.push_back(language);
        }
        start = end + 1;
      }
    } else if (!key.empty() && key.size() <= 35 && !value.empty() &&
               key.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-") ==
                   std::string::npos) {
      settings.voices[key] = value;
    }
  }
  return settings;
}

int WriteLanguageSettings(const std::string& programFolder, const LanguageSettings& settings) {
  // The section is written whole: a language set back to its own voice
  // loses its line.
  std::string seen;
  for (const std::string& language : settings.seen) seen += (seen.empty() ? "" : ",") + language;
  std::vector<std::string> section = {
      "[Voices]", std::string("PerArticle=") + (settings.perArticle ? "1" : "0"), "Seen=" + seen};
  for (const auto& [language, voice] : settings.voices) section.push_back(language + "=" + voice);
  std::string text;
  ReadWholeFile(programFolder + "Brevora.ini", text);  // a missing file is a new one
  std::vector<std::string> lines;
  bool inSection = false;
  for (const std::string& line : Lines(text)) {
    const std::string trimmed(TrimBlanks(line));
    if (trimmed.starts_with("[")) inSection = trimmed == "[Voices]";
    if (!inSection) lines.push_back(line);
  }
  while (!lines.empty() && TrimBlanks(lines.back()).empty()) lines.pop_back();
  if (!lines.empty()) lines.push_back("");
  lines.insert(lines.end(), section.begin(), section.end());
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return WriteFileAtomically(programFolder + "Brevora.ini", out, FileAccess::kOwnerOnly);
}

std::vector<std::string> LanguagesOfTable(const LanguageSettings& settings) {
  std::vector<std::string> languages = settings.seen;
  for (const auto& [language, voice] : settings.voices) languages.push_back(language);
  std::sort(languages.begin(), languages.end());
  languages.erase(std::unique(languages.begin(), languages.end()), languages.end());
  return languages;
}

int RememberLanguages(const std::string& programFolder, const std::vector<std::string>& languages) {
  LanguageSettings settings = ReadLanguageSettings(programFolder);
  bool added = false;
  for (const std::string& language : languages) {
    const std::string primary = LowerAscii(language.substr(0, language.find('-')));
    if (primary.empty() || primary.size() > 8 ||
        std::find(settings.seen.begin(), settings.seen.end(), primary) != settings.seen.end() ||
        settings.seen.size() >= kMaxSeenLanguages) {
      continue;
    }
    settings.seen.push_back(primary);
    added = true;
  }
  if (!added) return 0;
  std::sort(settings.seen.begin(), settings.seen.end());
  return WriteLanguageSettings(programFolder, settings);
}

}  // namespace brevora
