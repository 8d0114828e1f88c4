// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/command_line.h"

#include <cctype>

#include "base/text.h"

namespace brevora {

PlatformFamily CurrentPlatformFamily() {
  return PlatformFamily::Posix;
}

CommandSyntax SyntaxOf(PlatformFamily family, const std::string& programFolder) {
  switch (family) {
    case PlatformFamily::Windows95:
      return {"command.com /c ", "command.com /c deltree /Y ", '\\', ';'};
    case PlatformFamily::WindowsNT:
      return {"cmd.exe /c ", "cmd.exe /c rmdir /S /Q ", '\\', ';'};
    case PlatformFamily::Posix:
      break;
  }
  const std::string interpreter = QuoteArgument(programFolder + "brevora-cmd") + " /c ";
  return {interpreter, interpreter + "rmdir /S /Q ", '/', ':'};
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> arguments;
  size_t i = 0;
  const auto blank = [&](size_t at) { return line[at] == ' ' || line[at] == '\t'; };
  for (;;) {
    while (i < line.size() && blank(i)) ++i;
    if (i >= line.size()) return arguments;
    std::string argument;
    bool quoted = false;
    while (i < line.size() && (quoted || !blank(i))) {
      if (line[i] == '\\') {
        size_t backslashes = 0;
        while (i < line.size() && line[i] == '\\') ++backslashes, ++i;
        if (i < line.size() && line[i] == '"') {
          argument.append(backslashes / 2, '\\');
          if (backslashes % 2 == 1) {
            argument += '"';
            ++i;
          }
        } else {
          argument.append(backslashes, '\\');
        }
      } else if (line[i] == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          argument += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument += line[i++];
      }
    }
    arguments.push_back(std::move(argument));
  }
}

std::string QuoteArgument(std::string_view text) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : text) {
    if (c == '\\') {
      ++backslashes;
    } else {
      if (c == '"') quoted.append(backslashes + 1, '\\');
      backslashes = 0;
    }
    quoted += c;
  }
  quoted.append(backslashes, '\\');
  return quoted + "\"";
}

namespace {

std::string Join(const CommandSyntax& syntax, const std::string& folder, const char* name) {
  return folder + syntax.separator + name;
}

// The crawler's runtime with its class path: the jars of `programFolder`.
std::string JavaCommand(const CommandSyntax& syntax, const std::string& programFolder,
                        const std::optional<std::string>& javaHome) {
  std::string runtime = "java";
  if (javaHome) runtime = *javaHome + syntax.separator + "bin" + syntax.separator + "java";
  std::string command = QuoteArgument(runtime) + " -classpath ";
  const char* jars[] = {"htmlparser.jar",        "item.jar",       "Brevora.jar", "jCookies.jar",
                        "jakarta-oro-2.0.4.jar", "log4j-1.2.6.jar"};
  for (size_t i = 0; i < std::size(jars); ++i) {
    if (i > 0) command += syntax.classPathSeparator;
    command += QuoteArgument(programFolder + jars[i]);
  }
  return command;
}

}  // namespace

std::string ClearWorkCommand(const CommandSyntax& syntax, const std::string& workingFolder) {
  return syntax.removal + QuoteArgument(Join(syntax, workingFolder, "Top"));
}

std::string CrawlerCommand(const CommandSyntax& syntax, const std::string& programFolder,
                           const std::optional<std::string>& javaHome,
                           const std::string& dataFolder) {
  return JavaCommand(syntax, programFolder, javaHome) + "  org.tidewire.WebCrawler " +
         QuoteArgument(dataFolder.empty() ? programFolder : dataFolder);
}

std::string FeedFinderCommand(const CommandSyntax& syntax, const std::string& programFolder,
                              const std::optional<std::string>& javaHome,
                              const std::string& address) {
  return JavaCommand(syntax, programFolder, javaHome) + " org.tidewire.FeedFinder " +
         QuoteArgument(address);
}

std::vector<std::string> CrawlerEnvironment(const char* lcAll, const char* lcCtype,
                                            const char* lang) {
  std::string locale = "C";
  for (const char* value : {lcAll, lcCtype, lang}) {
    if (value != nullptr && *value != '\0') {
      locale = value;
      break;
    }
  }
  const std::string lower = LowerAscii(locale);
  if (lower.find("utf-8") != std::string::npos || lower.find("utf8") != std::string::npos) {
    return {};
  }
  return {"LC_ALL=C.UTF-8"};
}

std::vector<std::string> PublishCommands(const CommandSyntax& syntax,
                                         const std::string& workingFolder,
                                         const std::string& executingFolder) {
  const std::string top = QuoteArgument(Join(syntax, executingFolder, "Top"));
  const std::string workTop = Join(syntax, workingFolder, "Top") + syntax.separator;
  std::vector<std::string> commands = {syntax.removal + top, syntax.interpreter + "mkdir " + top};
  for (const char* pattern :
       {"NewsXML.xml", "*.mp3", "*.wav", "*.m3u", "*.asx", "*.html", "podcast.xml"}) {
    commands.push_back(syntax.interpreter + "xcopy /S /Y " + QuoteArgument(workTop + pattern) +
                       " " + top);
  }
  return commands;
}

std::vector<std::string> IconCommands(const CommandSyntax& syntax,
                                      const std::string& executingFolder,
                                      const std::string& programFolder) {
  const std::string icons = QuoteArgument(Join(syntax, executingFolder, "icons"));
  const std::string source = programFolder + syntax.separator + "icons" + syntax.separator + "*.*";
  return {syntax.removal + icons, syntax.interpreter + "mkdir " + icons,
          syntax.interpreter + "xcopy /S /Y " + QuoteArgument(source) + " " + icons};
}

}  // namespace brevora
