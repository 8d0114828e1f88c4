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
  QCommandLineOption dataFolder{QStringLiteral("data-folder"),
                                QStringLiteral("Keeps Brevora.cfg, Channels.txt and Brevora.log "
                                               "in <folder>."),
                                QStringLiteral("folder")};
  QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                          QStringLiteral("Shows these options.")};
  QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                             QStringLiteral("Shows the version.")};

  Parser() {
    parser.setApplicationDescription(
        QStringLiteral("Brevora turns web news into spoken audio on a schedule."));
    parser.addOption(runNow);
    parser.addOption(dataFolder);
    parser.addOption(help);
    parser.addOption(version);
  }
};

}  // namespace

CommandLineOptions ParseCommandLine(const QStringList& arguments) {
  Parser p;
  CommandLineOptions options;
  if (!p.parser.parse(arguments)) {
    options.error = p.parser.errorText().toStdString();
    return options;
  }
  if (!p.parser.positionalArguments().isEmpty()) {
    options.error = "Unknown argument: " + p.parser.positionalArguments().front().toStdString();
    return options;
  }
  options.runNow = p.parser.isSet(p.runNow);
  options.help = p.parser.isSet(p.help);
  options.version = p.parser.isSet(p.version);
  options.dataFolder = p.parser.value(p.dataFolder).toStdString();
  if (p.parser.isSet(p.dataFolder) && options.dataFolder.empty()) {
    options.error = "The option --data-folder needs a folder.";
  }
  return options;
}

QString CommandLineHelp() {
  Parser p;
  return QStringLiteral("Usage: brevora [options]\n\n") + p.parser.applicationDescription() +
         QStringLiteral("\n\nOptions:\n") + QStringLiteral("  --run-now             ") +
         p.runNow.description() + QStringLiteral("\n  --data-folder <folder> ") +
         p.dataFolder.description() + QStringLiteral("\n  -h, --help            ") +
         p.help.description() + QStringLiteral("\n  -v, --version         ") +
         p.version.description() + QStringLiteral("\n");
}

}  // namespace brevora
