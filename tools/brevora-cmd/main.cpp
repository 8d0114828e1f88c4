// SPDX-License-Identifier: GPL-3.0-or-later
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
// Exit codes: rmdir 0 done (a folder that is not there needs no removing, as
// with "rm -rf"), 1 failure (the path is a file, something could not be
// removed); mkdir 0 done, 1 exists or failed; xcopy 0 copied (a pattern that
// matches no file leaves nothing to copy), 1 the source cannot be read, 4
// wrong syntax, 5 write error; 9 for an unknown command or wrong arguments. Commands and
// switches are read without regard to letter case; file names match exactly.
// Symbolic links are never followed: rmdir removes a link, not its target,
// with or without a trailing "/", and never descends through a link or into
// another file system; xcopy copies regular files only and replaces a link at
// the destination by the file instead of writing through it. rmdir refuses the
// root folder and the user's home folder.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "removal_guard.h"

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

// "a/b/" names the entry "a/b" itself, so that a link named with a trailing
// separator is the link and not the folder it points to.
std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Removes a folder's entries and the folder, depth first, without following
// links and without entering a folder of another file system (device).
bool RemoveTree(const fs::path& folder, dev_t device, std::string& failure) {
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    struct stat entry {};
    if (lstat(it->path().c_str(), &entry) != 0) continue;  // gone meanwhile
    if (S_ISDIR(entry.st_mode)) {
      if (entry.st_dev != device) {
        failure = it->path().string() + " is another file system";
        return false;
      }
      if (!RemoveTree(it->path(), device, failure)) return false;
    } else if (unlink(it->path().c_str()) != 0) {
      failure = it->path().string() + ": " + std::generic_category().message(errno);
      return false;
    }
  }
  if (error) {
    failure = folder.string() + ": " + error.message();
    return false;
  }
  if (rmdir(folder.c_str()) != 0) {
    failure = folder.string() + ": " + std::generic_category().message(errno);
    return false;
  }
  return true;
}

int RemoveFolder(std::vector<std::string> args, std::initializer_list<const char*> switches) {
  if (!TakeSwitches(args, switches) || args.size() != 1) {
    return Fail("usage: rmdir /S /Q PATH", kUsageError);
  }
  std::error_code error;
  const char* home = std::getenv("HOME");
  if (brevora::IsProtectedFolder(args[0], fs::current_path(error).string(), home ? home : "")) {
    return Fail("refusing to remove " + args[0], 1);
  }
  const std::string path = WithoutTrailingSeparators(args[0]);
  struct stat entry {};
  if (lstat(path.c_str(), &entry) != 0) {
    if (errno == ENOENT) return 0;  // nothing to remove
    return Fail("cannot remove " + args[0] + ": " + std::generic_category().message(errno), 1);
  }
  if (S_ISLNK(entry.st_mode)) {
    if (unlink(path.c_str()) != 0) return Fail("cannot remove the link " + args[0], 1);
    return 0;  // the link goes, what it points to stays
  }
  if (!S_ISDIR(entry.st_mode)) return Fail(args[0] + " is not a folder", 1);
  std::string failure;
  if (!RemoveTree(path, entry.st_dev, failure)) return Fail("cannot remove " + failure, 1);
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

// Creates the folders of `relative` below `destination`; a link standing where
// one of them belongs is replaced by a real folder.
bool MakeRealFolders(const fs::path& destination, const fs::path& relative,
                     std::error_code& error) {
  fs::path folder = destination;
  if (!fs::exists(folder, error)) fs::create_directories(folder, error);
  for (const fs::path& part : relative) {
    folder /= part;
    const fs::file_status status = fs::symlink_status(folder, error);
    if (fs::is_symlink(status)) fs::remove(folder, error);
    if (!fs::is_directory(fs::symlink_status(folder, error))) fs::create_directory(folder, error);
    if (error) return false;
  }
  return !error;
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
    if (error) return Fail("cannot read " + source.string() + ": " + error.message(), 1);
  }

  for (const fs::path& file : found) {
    const fs::path relative = fs::relative(file, source);
    if (!MakeRealFolders(destination, relative.parent_path(), error)) {
      return Fail("cannot create the folders of " + relative.string() + ": " + error.message(), 5);
    }
    const fs::path target = destination / relative;
    // A link at the target is replaced by the file, never written through.
    if (fs::is_symlink(fs::symlink_status(target, error))) fs::remove(target, error);
    fs::copy_file(file, target, fs::copy_options::overwrite_existing, error);
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
