// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "audio/converter.h"
#include "config/program_settings.h"

namespace brevora {

class CancelEvent;
class RunLog;
class RunProgress;

// What a run reads from the main window, live: each step reads the values it
// needs when it starts, so a change during a run is seen by the later steps.
// The window implements it; the members may be read from the worker's thread.
class RunParameters {
 public:
  virtual ~RunParameters() = default;
  // The data folder (Brevora.cfg, Channels.txt, Brevora.log): the crawler's
  // folder argument.
  virtual std::string ProgramFolder() const = 0;
  // Where brevora-cmd, the crawler's class path and icons/ lie; the data
  // folder unless the program is installed apart from its data.
  virtual std::string InstallFolder() const { return ProgramFolder(); }
  virtual std::string WorkingFolder() const = 0;
  virtual std::string ExecutingFolder() const = 0;
  virtual std::string OutputFormat() const = 0;
  // The token of the voice selected in the voice list; empty when none is.
  virtual std::string SelectedVoiceToken() const = 0;
  virtual SpeechEngine* SpeechVoice() = 0;
  virtual Converter& TheConverter() = 0;
  virtual bool CancelRequested() const = 0;
  virtual CancelEvent& TheCancelEvent() = 0;
  virtual RunLog& Log() = 0;
  // Where the run tells what it is doing; the default tells no one.
  virtual RunProgress& Progress();
  // The language of the selected voice ("en-gb") and the podcast address
  // (Brevora.ini), for the podcast feeds; empty when unknown or not set.
  virtual std::string VoiceLanguage() const { return {}; }
  virtual std::string PodcastAddress() const { return {}; }
  // The e-mail address the podcast feeds give as their owner's; may be empty.
  virtual std::string OwnerEmail() const { return {}; }
  // Reading every article in its own language's voice (Brevora.ini
  // [Voices]), and the user's language ("pt-br") for the voices' regions.
  // The default reads every article in the chosen voice.
  virtual LanguageSettings Languages() const { return {false, {}, {}}; }
  virtual std::string UserLanguage() const { return {}; }
  // The end of the run; called exactly once, on every path, as the last
  // thing the worker does. The window turns it into its posted end message.
  virtual void RunFinished() = 0;
};

// One whole run: clears the working folder's Top, launches the crawler,
// converts unless the format is "text" (then tags the audio files, writes
// their durations and the podcast feeds), publishes into the executing folder
// and copies the icons. Only a cancel, a command that cannot be started, a
// folder that is not set or a conversion that converted nothing ends it early.
void RunWorker(RunParameters& parameters);

}  // namespace brevora
