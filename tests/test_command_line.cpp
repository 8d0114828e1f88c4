// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/command_line.h"

#include <gtest/gtest.h>

namespace brevora {
namespace {

// The Windows NT family, character for character.
TEST(CommandLine, WindowsNtFamily) {
  const std::string W = "C:\\Work", E = "D:\\Exec", P = "C:\\Program Files\\Brevora\\";
  const CommandSyntax nt = SyntaxOf(PlatformFamily::WindowsNT, P);
  EXPECT_EQ(ClearWorkCommand(nt, W), "cmd.exe /c rmdir /S /Q \"C:\\Work\\Top\"");
  const std::string classPath =
      " -classpath \"C:\\Program Files\\Brevora\\htmlparser.jar\";\"C:\\Program Files\\Brevora\\"
      "item.jar\";\"C:\\Program Files\\Brevora\\Brevora.jar\";\"C:\\Program Files\\Brevora\\"
      "jCookies.jar\";\"C:\\Program Files\\Brevora\\jakarta-oro-2.0.4.jar\";\"C:\\Program Files"
      "\\Brevora\\log4j-1.2.6.jar\"  org.tidewire.WebCrawler \"C:\\Program Files\\Brevora\\\\\"";
  EXPECT_EQ(CrawlerCommand(nt, P, std::nullopt), "\"java\"" + classPath);
  EXPECT_EQ(CrawlerCommand(nt, P, "C:\\jre"), "\"C:\\jre\\bin\\java\"" + classPath);
  EXPECT_EQ(PublishCommands(nt, W, E),
            (std::vector<std::string>{
                "cmd.exe /c rmdir /S /Q \"D:\\Exec\\Top\"",
                "cmd.exe /c mkdir \"D:\\Exec\\Top\"",
                "cmd.exe /c xcopy /S /Y \"C:\\Work\\Top\\NewsXML.xml\" \"D:\\Exec\\Top\"",
                "cmd.exe /c xcopy /S /Y \"C:\\Work\\Top\\*.mp3\" \"D:\\Exec\\Top\"",
                "cmd.exe /c xcopy /S /Y \"C:\\Work\\Top\\*.wav\" \"D:\\Exec\\Top\"",
                "cmd.exe /c xcopy /S /Y \"C:\\Work\\Top\\*.m3u\" \"D:\\Exec\\Top\"",
                "cmd.exe /c xcopy /S /Y \"C:\\Work\\Top\\*.asx\" \"D:\\Exec\\Top\"",
                "cmd.exe /c xcopy /S /Y \"C:\\Work\\Top\\*.html\" \"D:\\Exec\\Top\"",
                "cmd.exe /c xcopy /S /Y \"C:\\Work\\Top\\podcast.xml\" \"D:\\Exec\\Top\""}));
  EXPECT_EQ(IconCommands(nt, E, P),
            (std::vector<std::string>{
                "cmd.exe /c rmdir /S /Q \"D:\\Exec\\icons\"",
                "cmd.exe /c mkdir \"D:\\Exec\\icons\"",
                "cmd.exe /c xcopy /S /Y \"C:\\Program Files\\Brevora\\\\icons\\*.*\" "
                "\"D:\\Exec\\icons\""}));
  EXPECT_EQ(SyntaxOf(PlatformFamily::Windows95, P).removal, "command.com /c deltree /Y ");
  // The crawler's one argument reads back as the folder with one backslash.
  EXPECT_EQ(SplitCommandLine(CrawlerCommand(nt, P, std::nullopt)).back(), P);
}

// The crawler gets a UTF-8 locale unless the one in force already is; the
// first variable set of LC_ALL, LC_CTYPE and LANG is the one in force.
TEST(CommandLine, CrawlerEnvironment) {
  const std::vector<std::string> none, utf8 = {"LC_ALL=C.UTF-8"};
  EXPECT_EQ(CrawlerEnvironment(nullptr, nullptr, "en_GB.UTF-8"), none);
  EXPECT_EQ(CrawlerEnvironment(nullptr, "de_DE.utf8", "C"), none);
  EXPECT_EQ(CrawlerEnvironment("", "", "fr_FR.UTF-8"), none);
  EXPECT_EQ(CrawlerEnvironment("C", nullptr, "en_GB.UTF-8"), utf8);
  EXPECT_EQ(CrawlerEnvironment(nullptr, "en_US.ISO-8859-1", "en_US.UTF-8"), utf8);
  EXPECT_EQ(CrawlerEnvironment(nullptr, nullptr, nullptr), utf8);
  EXPECT_EQ(CrawlerEnvironment("POSIX", nullptr, nullptr), utf8);
}

TEST(CommandLine, PosixFamily) {
  const std::string W = "/srv/work", E = "/srv/exec", P = "/opt/my news/";
  const CommandSyntax posix = SyntaxOf(PlatformFamily::Posix, P);
  const std::string I = "\"/opt/my news/brevora-cmd\" /c ";
  EXPECT_EQ(posix.interpreter, I);
  EXPECT_EQ(ClearWorkCommand(posix, W), I + "rmdir /S /Q \"/srv/work/Top\"");
  EXPECT_EQ(CrawlerCommand(posix, P, "/usr/lib/jvm/java-17"),
            "\"/usr/lib/jvm/java-17/bin/java\" -classpath \"/opt/my news/htmlparser.jar\":"
            "\"/opt/my news/item.jar\":\"/opt/my news/Brevora.jar\":\"/opt/my news/jCookies.jar\":"
            "\"/opt/my news/jakarta-oro-2.0.4.jar\":\"/opt/my news/log4j-1.2.6.jar\"  "
            "org.tidewire.WebCrawler \"/opt/my news/\"");
  EXPECT_TRUE(CrawlerCommand(posix, P, std::nullopt).starts_with("\"java\" -classpath "));
  const auto publish = PublishCommands(posix, W, E);
  ASSERT_EQ(publish.size(), 9u);
  EXPECT_EQ(publish[1], I + "mkdir \"/srv/exec/Top\"");
  EXPECT_EQ(publish[3], I + "xcopy /S /Y \"/srv/work/Top/*.mp3\" \"/srv/exec/Top\"");
  EXPECT_EQ(IconCommands(posix, E, P)[2],
            I + "xcopy /S /Y \"/opt/my news//icons/*.*\" \"/srv/exec/icons\"");
}

// A folder with quotes, blanks and backslashes stays one argument and adds none.
TEST(CommandLine, QuotedFoldersStayOneArgument) {
  const CommandSyntax posix = SyntaxOf(PlatformFamily::Posix, "/p/");
  for (const std::string folder :
       {"/srv/a \"quoted\" folder", "/srv/end\\", "/srv/x\\\"y", "/srv/\"", "/srv/tab\there"}) {
    const auto args = SplitCommandLine(ClearWorkCommand(posix, folder));
    ASSERT_EQ(args.size(), 6u) << folder;
    EXPECT_EQ(args[5], folder + "/Top");
    const auto crawler = SplitCommandLine(CrawlerCommand(posix, folder + "/", std::nullopt));
    ASSERT_EQ(crawler.size(), 5u) << folder;
    EXPECT_EQ(crawler[4], folder + "/");
  }
  EXPECT_EQ(QuoteArgument("/plain folder"), "\"/plain folder\"");
}

TEST(CommandLine, SplitsAsTheCRuntime) {
  using Args = std::vector<std::string>;
  EXPECT_EQ(SplitCommandLine("  a  b\tc "), (Args{"a", "b", "c"}));
  EXPECT_EQ(SplitCommandLine("\"a b\" c\"d e\"f"), (Args{"a b", "cd ef"}));
  EXPECT_EQ(SplitCommandLine("a\\\\b \\\\\"x y\" \\\"q"), (Args{"a\\\\b", "\\x y", "\"q"}));
  EXPECT_EQ(SplitCommandLine("\"\" \"a\"\"b\""), (Args{"", "a\"b"}));
  EXPECT_EQ(SplitCommandLine("\"unterminated arg"), (Args{"unterminated arg"}));
  EXPECT_TRUE(SplitCommandLine("   ").empty());
}

}  // namespace
}  // namespace brevora
