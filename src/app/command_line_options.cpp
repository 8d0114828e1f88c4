// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line_options.h"

#include <QCommandLineParser>

namespace brevora {

namespace {

struct Parser {
  QCommandLineParser parser;
  QCommandLineOption runNow{QStringLiteral("run-now"),
                            QStringLiteral("Makes one run with the settings of Brevora.cfg, "
                                           "without a window, and ends: 0 when it published, 1 "
                                           "when it failed or converted nothing, 2 for bad "
                                           "settings.")};
  QCommandLineOption scheduled{QStringLiteral("scheduled"),
                               QStringLiteral("Runs on the days and times of Brevora.cfg, "
                                              "without a window, until stopped (SIGTERM, "
                                              "SIGINT).")};
  QCommandLineOption minimized{QStringLiteral("minimized"),
                               QStringLiteral("Starts with the window hidden in the tray.")};
  QCommandLineOption startSchedule{QStringLiteral("start-schedule"),
                                   QStringLiteral("Presses Run once the window is up.")};
  QCommandLineOption dataFolder{QStringLiteral("data-folder"),
                                QStringLiteral("Keeps Brevora.cfg, Channels.txt and Brevora.log "
                                               "in <folder>."),
                                QStringLiteral("folder")};
  QCommandLineOption share{QStringLiteral("share"),
                           QStringLiteral("With --run-now or --scheduled: shares the published "
                                          "news on the home network, on port 8642 or <port>, "
                                          "for as long as the program runs."),
                           QStringLiteral("port")};
  QCommandLineOption addChannel{QStringLiteral("add-channel"),
                                QStringLiteral("Finds the feeds of <address> (a feed or a site's "
                                               "page) and adds a channel that reads one; where "
                                               "there are several, lists them."),
                                QStringLiteral("address")};
  QCommandLineOption name{QStringLiteral("name"),
                          QStringLiteral("With --add-channel: the channel's name (else the "
                                         "feed's title)."),
                          QStringLiteral("name")};
  QCommandLineOption feed{QStringLiteral("feed"),
                          QStringLiteral("With --add-channel: adds feed <n> of those listed."),
                          QStringLiteral("n")};
  QCommandLineOption importOpml{QStringLiteral("import-opml"),
                                QStringLiteral("Adds a channel for every feed of an OPML "
                                               "<file> (a feed reader's export) not read yet."),
                                QStringLiteral("file")};
  QCommandLineOption exportOpml{QStringLiteral("export-opml"),
                                QStringLiteral("Writes every channel with a web address to an "
                                               "OPML <file>, for feed readers."),
                                QStringLiteral("file")};
  QCommandLineOption channels{QStringLiteral("channels"),
                              QStringLiteral("Lists the channels, one a line, with their "
                                             "addresses.")};
  QCommandLineOption config{QStringLiteral("config"),
                            QStringLiteral("Shows the settings of Brevora.cfg; with KEY=VALUE "
                                           "arguments, checks and sets them (WorkingFolder, "
                                           "ExecutingFolder, StartDownloading, StartTimes, "
                                           "Channels, Format, Voice, Advanced).")};
  QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                          QStringLiteral("Shows these options.")};
  QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                             QStringLiteral("Shows the version.")};

  Parser() {
    parser.setApplicationDescription(
        QStringLiteral("Brevora turns web news into spoken audio on a schedule."));
    parser.addOption(runNow);
    parser.addOption(scheduled);
    parser.addOption(minimized);
    parser.addOption(startSchedule);
    parser.addOption(dataFolder);
    parser.addOption(share);
    parser.addOption(addChannel);
    parser.addOption(name);
    parser.addOption(feed);
    parser.addOption(importOpml);
    parser.addOption(exportOpml);
    parser.addOption(channels);
    parser.addOption(config);
    parser.addOption(help);
    parser.addOption(version);
  }
};

}  // namespace

CommandLineOptions ParseCommandLine(const QStringList& arguments) {
  Parser p;
  CommandLineOptions options;
  // "--share" alone is the usual port.
  QStringList expanded = arguments;
  for (QString& argument : expanded) {
    if (argument == QLatin1String("--share")) argument = QStringLiteral("--share=8642");
  }
  if (!p.parser.parse(expanded)) {
    options.error = p.parser.errorText().toStdString();
    return options;
  }
  options.config = p.parser.isSet(p.config);
  if (options.config) {
    for (const QString& setting : p.parser.positionalArguments()) {
      options.settings.push_back(setting.toStdString());
    }
  } else if (!p.parser.positionalArguments().isEmpty()) {
    options.error = "Unknown argument: " + p.parser.positionalArguments().front().toStdString();
    return options;
  }
  options.runNow = p.parser.isSet(p.runNow);
  options.scheduled = p.parser.isSet(p.scheduled);
  options.minimized = p.parser.isSet(p.minimized);
  options.startSchedule = p.parser.isSet(p.startSchedule);
  if (options.runNow && options.scheduled) {
    options.error = "The options --run-now and --scheduled exclude each other.";
    return options;
  }
  options.help = p.parser.isSet(p.help);
  options.version = p.parser.isSet(p.version);
  options.dataFolder = p.parser.value(p.dataFolder).toStdString();
  if (p.parser.isSet(p.dataFolder) && options.dataFolder.empty()) {
    options.error = "The option --data-folder needs a folder.";
  }
  if (p.parser.isSet(p.share)) {
    bool number = false;
    const int port = p.parser.value(p.share).toInt(&number);
    if (!number || port < 1 || port > 65535) {
      options.error = "The option --share takes a port from 1 to 65535 (--share=8642).";
    } else if (!options.runNow && !options.scheduled) {
      options.error =
          "The option --share goes with --run-now or --scheduled; in the window, use "
          "\"Share on this network...\".";
    } else {
      options.sharePort = port;
    }
  }
  if (!options.error.empty()) return options;
  options.addChannel = p.parser.value(p.addChannel).toStdString();
  options.channelName = p.parser.value(p.name).toStdString();
  options.importOpml = p.parser.value(p.importOpml).toStdString();
  options.exportOpml = p.parser.value(p.exportOpml).toStdString();
  options.listChannels = p.parser.isSet(p.channels);
  const int commands = p.parser.isSet(p.addChannel) + p.parser.isSet(p.importOpml) +
                       p.parser.isSet(p.exportOpml) + options.listChannels + options.config;
  if (commands > 1 || (commands == 1 && (options.runNow || options.scheduled))) {
    options.error =
        "The options --add-channel, --import-opml, --export-opml, --channels, --config, "
        "--run-now and --scheduled exclude each other.";
  } else if (p.parser.isSet(p.addChannel) && options.addChannel.empty()) {
    options.error = "The option --add-channel needs an address.";
  } else if ((p.parser.isSet(p.importOpml) && options.importOpml.empty()) ||
             (p.parser.isSet(p.exportOpml) && options.exportOpml.empty())) {
    options.error = "The options --import-opml and --export-opml need a file.";
  } else if ((p.parser.isSet(p.name) || p.parser.isSet(p.feed)) && !p.parser.isSet(p.addChannel)) {
    options.error = "The options --name and --feed go with --add-channel.";
  } else if (p.parser.isSet(p.name) && options.channelName.empty()) {
    options.error = "The option --name needs a name.";
  } else if (p.parser.isSet(p.feed)) {
    bool number = false;
    options.feedNumber = p.parser.value(p.feed).toInt(&number);
    if (!number || options.feedNumber < 1) {
      options.error = "The option --feed takes the number of a listed feed, from 1.";
    }
  }
  return options;
}

QString CommandLineHelp() {
  Parser p;
  QString text = QStringLiteral("Usage: brevora [options]\n\n") +
                 p.parser.applicationDescription() + QStringLiteral("\n\nOptions:\n");
  const std::pair<const char*, const QCommandLineOption*> options[] = {
      {"--run-now", &p.runNow},
      {"--scheduled", &p.scheduled},
      {"--minimized", &p.minimized},
      {"--start-schedule", &p.startSchedule},
      {"--data-folder <folder>", &p.dataFolder},
      {"--share[=<port>]", &p.share},
      {"--add-channel <address>", &p.addChannel},
      {"--name <name>", &p.name},
      {"--feed <n>", &p.feed},
      {"--import-opml <file>", &p.importOpml},
      {"--export-opml <file>", &p.exportOpml},
      {"--channels", &p.channels},
      {"--config [KEY=VALUE...]", &p.config},
      {"-h, --help", &p.help},
      {"-v, --version", &p.version}};
  for (const auto& [name, option] : options) {
    text += QStringLiteral("  %1\n      %2\n").arg(QLatin1String(name), option->description());
  }
  return text;
}

}  // namespace brevora
