// brevora-cmd: the command interpreter that Brevora's runs use, installed
// beside the executable. It knows exactly the commands a run gives it:
//
//   brevora-cmd /c rmdir /S /Q PATH     remove a folder and everything below
//   brevora-cmd /c deltree /Y PATH      the same
//   brevora-cmd /c mkdir PATH           create a folder and missing parents
//   brevora-cmd /c xcopy /S /Y PATTERN DEST
//        copy the files matching PATTERN's last component ("*" and "?";
//        "*.*" matches every file) from its folder and every folder below it
//        into DEST, keeping the relative folders
//
// Exit codes: rmdir 0 done, 2 missing folder, 1 other failure; mkdir 0 done,
// 1 exists or failed; xcopy 0 copied, 1 nothing matched, 4 wrong syntax, 5
// write error; 9 for an unknown command or wrong arguments. Commands and
// switches are read without regard to letter case; file names match exactly.
// Symbolic links are never followed: rmdir removes a link, not its target,
// and xcopy copies regular files only.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kUsageError = 9;

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// "*" matches any run of characters, "?" exactly one; "*.*" matches anything.
bool Matches(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") return true;
  size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p, ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

int Fail(const std::string& message, int code) {
  std::fprintf(stderr, "brevora-cmd: %s\n", message.c_str());
  return code;
}

// Takes the leading switches that must be there (any letter case).
bool TakeSwitches(std::vector<std::string>& args, std::initializer_list<const char*> switches) {
  for (const char* expected : switches) {
    if (args.empty() || !SameIgnoringCase(args.front(), expected)) return false;
    args.erase(args.begin());
  }
  return true;
}

int RemoveFolder(std::vector<std::string> args, std::initializer_list<const char*> switches) {
  if (!TakeSwitches(args, switches) || args.size() != 1) {
    return Fail("usage: rmdir /S /Q PATH", kUsageError);
  }
  std::error_code error;
  const fs::file_status status = fs::symlink_status(args[0], error);
  if (!fs::exists(status)) return Fail("cannot find " + args[0], 2);
  if (!fs::is_directory(status)) return Fail(args[0] + " is not a folder", 1);
  fs::remove_all(args[0], error);
  if (error) return Fail("cannot remove " + args[0] + ": " + error.message(), 1);
  return 0;
}

int MakeFolder(const std::vector<std::string>& args) {
  if (args.size() != 1) return Fail("usage: mkdir PATH", kUsageError);
  std::error_code error;
  if (fs::exists(fs::symlink_status(args[0], error))) return Fail(args[0] + " already exists", 1);
  fs::create_directories(args[0], error);
  if (error) return Fail("cannot create " + args[0] + ": " + error.message(), 1);
  return 0;
}

int CopyFiles(std::vector<std::string> args) {
  if (!TakeSwitches(args, {"/S", "/Y"}) || args.size() != 2) {
    return Fail("usage: xcopy /S /Y PATTERN DEST", 4);
  }
  const fs::path pattern(args[0]);
  const std::string wildcard = pattern.filename().string();
  const fs::path source = pattern.parent_path().empty() ? fs::path(".") : pattern.parent_path();
  const fs::path destination(args[1]);
  if (wildcard.empty()) return Fail("no file pattern in " + args[0], 4);

  // Collect first, so that a destination below the source is not copied again.
  std::vector<fs::path> found;
  std::error_code error;
  if (fs::is_directory(fs::symlink_status(source, error))) {
    fs::recursive_directory_iterator it(source, fs::directory_options::skip_permission_denied,
                                        error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
      std::error_code ignored;
      if (it->is_symlink(ignored) || !it->is_regular_file(ignored)) continue;
      if (Matches(wildcard, it->path().filename().string())) found.push_back(it->path());
    }
  }
  if (found.empty()) return Fail("file not found - " + wildcard, 1);

  for (const fs::path& file : found) {
    const fs::path target = destination / fs::relative(file, source);
    fs::create_directories(target.parent_path(), error);
    if (!error) fs::copy_file(file, target, fs::copy_options::overwrite_existing, error);
    if (error) return Fail("cannot write " + target.string() + ": " + error.message(), 5);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() < 2 || !SameIgnoringCase(args[0], "/c")) {
    return Fail("usage: brevora-cmd /c COMMAND ARGUMENTS", kUsageError);
  }
  const std::string command = args[1];
  args.erase(args.begin(), args.begin() + 2);
  if (SameIgnoringCase(command, "rmdir")) return RemoveFolder(args, {"/S", "/Q"});
  if (SameIgnoringCase(command, "deltree")) return RemoveFolder(args, {"/Y"});
  if (SameIgnoringCase(command, "mkdir")) return MakeFolder(args);
  if (SameIgnoringCase(command, "xcopy")) return CopyFiles(args);
  return Fail("unknown command: " + command, kUsageError);
}
