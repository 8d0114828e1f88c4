// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary request targets to the sharing path rules and opens what
// they name in a small executing folder with a secret beside it and links
// planted under Top: no crash, nothing outside Top and icons is ever
// opened, every name is a plain one, and a resolved path survives being
// encoded and resolved again. Byte ranges stay inside their body, and a
// page served to the network names no file of the user's.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/file_below.h"
#include "sharing/share_rules.h"

namespace {

constexpr char kToken[] = "abcdefghijklmnopqrstuvwxyz";

std::string Folder() {
  static const std::string root = [] {
    char name[] = "/tmp/fuzz-share-XXXXXX";
    const std::string made = mkdtemp(name);
    mkdir((made + "/exec").c_str(), 0700);
    mkdir((made + "/exec/Top").c_str(), 0700);
    mkdir((made + "/exec/Top/Demo").c_str(), 0700);
    mkdir((made + "/exec/icons").c_str(), 0700);
    std::ofstream(made + "/secret") << "SECRET";
    std::ofstream(made + "/exec/secret") << "SECRET";
    std::ofstream(made + "/exec/Top/.hidden") << "SECRET";
    std::ofstream(made + "/exec/Top/index.html") << "index";
    std::ofstream(made + "/exec/Top/Demo/a.mp3") << "audio";
    std::ofstream(made + "/exec/icons/a.png") << "icon";
    symlink((made + "/secret").c_str(), (made + "/exec/Top/link").c_str());
    symlink(made.c_str(), (made + "/exec/Top/up").c_str());
    symlink("../../secret", (made + "/exec/Top/Demo/rel").c_str());
    return made + "/exec";
  }();
  return root;
}

bool IsPlainName(const std::string& name) {
  if (name.empty() || name[0] == '.') return false;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == '/' || c == '\\' || u == 0xC0 || u == 0xC1 || u >= 0xF5) return false;
  }
  return true;
}

std::string Encoded(const std::string& name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    out += '%';
    out += kHex[u >> 4];
    out += kHex[u & 15];
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // Half of the inputs begin with the token, so that the rules past it are reached.
  const std::string target =
      (size > 0 && (data[0] & 1) ? "/" + std::string(kToken) + "/" : std::string()) +
      std::string(input.substr(size > 0 ? 1 : 0));
  const auto path = brevora::ResolveSharedPath(target, kToken);
  if (path) {
    if (path->size() < 2 || ((*path)[0] != "Top" && (*path)[0] != "icons")) std::abort();
    std::string again = "/" + std::string(kToken) + "/" + (*path)[0];
    for (size_t i = 1; i < path->size(); ++i) {
      if (!IsPlainName((*path)[i]) || (*path)[i].ends_with(".part")) std::abort();
      again += "/" + Encoded((*path)[i]);
    }
    if (brevora::ResolveSharedPath(again, kToken) != path) std::abort();
    if (auto file = brevora::OpenFileBelow(Folder(), *path)) {
      char buffer[16] = {};
      const ssize_t got = file->ReadAt(0, buffer, sizeof buffer);
      if (got > 0 && std::string_view(buffer, static_cast<size_t>(got)) == "SECRET") std::abort();
    }
  }
  std::uint64_t body = 0;
  for (size_t i = 0; i < size && i < 2; ++i) body = body * 256 + data[i];
  const brevora::ByteRange range = brevora::ParseByteRange(input, body);
  if (range.kind == brevora::ByteRange::Kind::kPart &&
      (range.length == 0 || range.first + range.length > body)) {
    std::abort();
  }
  // A served page names no file of the user's: the rule takes away and never
  // adds, and what it leaves has nothing more to take away.
  const std::string served = brevora::WithoutLocalAddresses(input);
  if (served.size() > input.size() || brevora::WithoutLocalAddresses(served) != served) {
    std::abort();
  }
  return 0;
}
