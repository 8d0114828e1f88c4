// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>

#include "app/brevora_app.h"
#include "app/brevora_version.h"
#include "app/command_line_options.h"
#include "config/program_folders.h"
#include "platform/program_folder.h"
#include "platform/stop_signals.h"
#include "run/feed_search.h"
#include "service/channel_commands.h"
#include "service/headless_run.h"
#include "service/settings_command.h"
#include "speech/espeak_engine.h"
#include "speech/voice_list.h"

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const brevora::CommandLineOptions options = brevora::ParseCommandLine(arguments);
  if (!options.error.empty()) {
    std::fprintf(stderr, "%s\nbrevora --help lists the options.\n", options.error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(brevora::CommandLineHelp().toLocal8Bit().constData(), stdout);
    return 0;
  }
  if (options.version) {
    std::puts("Brevora " BREVORA_VERSION);
    return 0;
  }
  // A writable program folder keeps the data beside the program, unless it was
  // installed (cmake --install marks it).
  const std::string install = brevora::GetProgramFolder();
  const bool portable =
      brevora::IsWritableFolder(install) && !std::filesystem::exists(install + ".installed");
  const brevora::ProgramFolders folders = brevora::ChooseProgramFolders(
      install, portable, options.dataFolder, std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
  const std::string problem = brevora::PrepareDataFolder(folders);
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 2;
  }
  if (!options.addChannel.empty()) {
    static brevora::CancelEvent cancel;
    brevora::OnStopSignals([] { cancel.Set(); });
    brevora::CrawlerFeedSearcher searcher(folders.install);
    return brevora::AddChannelCommand(folders, options.addChannel, options.channelName,
                                      options.feedNumber, searcher, cancel, std::cout, std::cerr);
  }
  if (!options.importOpml.empty()) {
    return brevora::ImportOpmlCommand(folders, options.importOpml, std::cout, std::cerr);
  }
  if (!options.exportOpml.empty()) {
    return brevora::ExportOpmlCommand(folders, options.exportOpml, std::time(nullptr), std::cout,
                                      std::cerr);
  }
  if (options.listChannels) return brevora::ListChannelsCommand(folders, std::cout, std::cerr);
  if (options.config) {
    std::vector<std::string> voices;
    if (const auto engine = brevora::EspeakEngine::Create()) {
      for (const brevora::VoiceInfo& voice : brevora::SortVoicesForBox(engine->Voices()).items) {
        voices.push_back(voice.description);
      }
    }
    if (options.settings.empty()) {
      return brevora::ShowConfiguration(folders, voices, std::cout, std::cerr);
    }
    return brevora::ChangeConfiguration(folders, options.settings, voices, std::time(nullptr),
                                        std::cout, std::cerr);
  }
  if (options.runNow || options.scheduled) {
    // SIGTERM and SIGINT stop a run in progress as "Stop" does, and end the program.
    static brevora::HeadlessControl control;
    brevora::OnStopSignals([] { control.Stop(); });
    return options.runNow ? brevora::RunHeadless(folders, std::cerr, control, options.sharePort)
                          : brevora::RunScheduled(folders, std::cerr, control, options.sharePort);
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Brevora"));
  return brevora::CBrevoraApp().InitInstance(folders, options);
}
