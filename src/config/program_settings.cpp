#include "config/program_settings.h"

#include <vector>

#include "base/file_io.h"

namespace brevora {

namespace {

constexpr char kSection[] = "[Publishing]";
constexpr char kKey[] = "PodcastAddress=";

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

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string ReadPodcastAddress(const std::string& programFolder) {
  std::string text;
  if (ReadWholeFile(programFolder + "Brevora.ini", text) != 0) return {};
  bool inSection = false;
  for (const std::string& line : Lines(text)) {
    const std::string trimmed = Trimmed(line);
    if (trimmed.starts_with("[")) inSection = trimmed == kSection;
    if (!inSection || !trimmed.starts_with(kKey)) continue;
    std::string address = Trimmed(trimmed.substr(sizeof kKey - 1));
    if (!address.empty() && address.back() != '/') address += '/';
    return address;
  }
  return {};
}

int WritePodcastAddress(const std::string& programFolder, const std::string& address) {
  std::string text;
  ReadWholeFile(programFolder + "Brevora.ini", text);  // a missing file is a new one
  std::vector<std::string> lines = Lines(text);
  const std::string entry = kKey + address;
  bool inSection = false, written = false;
  size_t sectionEnd = lines.size();
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string trimmed = Trimmed(lines[i]);
    if (trimmed.starts_with("[")) {
      if (inSection) sectionEnd = i;
      inSection = trimmed == kSection;
      if (inSection) sectionEnd = lines.size();
    }
    if (inSection && trimmed.starts_with(kKey) && !written) {
      lines[i] = entry;
      written = true;
    }
  }
  bool hasSection = false;
  for (const std::string& line : lines) hasSection = hasSection || Trimmed(line) == kSection;
  if (!written && hasSection) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), entry);
  } else if (!written) {
    lines.push_back(kSection);
    lines.push_back(entry);
  }
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return WriteFileAtomically(programFolder + "Brevora.ini", out);
}

}  // namespace brevora
