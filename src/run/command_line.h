// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevora {

// How the commands of a run are written on a platform family.
enum class PlatformFamily { Windows95, WindowsNT, Posix };

// The family of the system the program runs on.
PlatformFamily CurrentPlatformFamily();

struct CommandSyntax {
  std::string interpreter;  // the interpreter prefix, ending with a blank
  std::string removal;      // the prefix of a folder removal, ending with a blank
  char separator;           // between folder names
  char classPathSeparator;  // between the crawler's class path entries
};

// The syntax of a family; the POSIX family uses the program folder's own
// command interpreter, "brevora-cmd".
CommandSyntax SyntaxOf(PlatformFamily family, const std::string& programFolder);

// Splits a command line into arguments as the Windows C runtime does: blanks
// and tabs separate, double quotes group and are removed, backslashes count
// only before a quote (2n of them and a quote give n and a grouping quote,
// 2n+1 give n and a literal quote), and "" inside quotes is a literal quote.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The text in double quotes so that SplitCommandLine gives it back as one
// argument: a quote inside becomes \" (with the backslashes before it
// doubled), and backslashes at the end are doubled. Ordinary text is just
// put between quotes.
std::string QuoteArgument(std::string_view text);

// The command lines of a run (W the working folder, E the executing folder,
// P the program folder ending with its separator).
std::string ClearWorkCommand(const CommandSyntax& syntax, const std::string& workingFolder);
// `javaHome` is the value of JAVA_HOME, nothing when it is not set. The class
// path names the jars of `programFolder`; the crawler's one argument is
// `dataFolder`, or `programFolder` when that is empty.
std::string CrawlerCommand(const CommandSyntax& syntax, const std::string& programFolder,
                           const std::optional<std::string>& javaHome,
                           const std::string& dataFolder = {});
// The crawler's feed finder for one address a user typed, with the same
// runtime and class path.
std::string FeedFinderCommand(const CommandSyntax& syntax, const std::string& programFolder,
                              const std::optional<std::string>& javaHome,
                              const std::string& address);
// The crawler ends by itself within 30 minutes; the run ends it 3 minutes
// after that, so that one site that never answers cannot hold a run forever.
inline constexpr std::chrono::seconds kCrawlerTimeLimit{33 * 60};
// What the crawler's environment needs over the program's: a UTF-8 locale
// ("LC_ALL=C.UTF-8") where the locale that the values of LC_ALL, LC_CTYPE
// and LANG give (null: not set) is not UTF-8, so that it can name files
// in any language; nothing where it is.
std::vector<std::string> CrawlerEnvironment(const char* lcAll, const char* lcCtype,
                                            const char* lang);
// The file in the executing folder that a run holds locked while it replaces
// the published files, so that a server of the folder answers "come back
// later" instead of sending a half-copied file.
inline constexpr char kPublishLockName[] = ".Brevora.publish.lock";

std::vector<std::string> PublishCommands(const CommandSyntax& syntax,
                                         const std::string& workingFolder,
                                         const std::string& executingFolder);
std::vector<std::string> IconCommands(const CommandSyntax& syntax,
                                      const std::string& executingFolder,
                                      const std::string& programFolder);

}  // namespace brevora
