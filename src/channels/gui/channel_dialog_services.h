// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

class QDialog;

namespace brevora {

class FeedSearcher;
class FileDialogs;
class UserPrompt;

// Runs a dialog modally and returns its result (QDialog::Accepted or
// QDialog::Rejected). The program runs it for real; tests act on the dialog's
// controls and end it themselves.
using ModalRun = std::function<int(QDialog&)>;

// What the channel dialogs work with, given by the main window.
struct ChannelDialogServices {
  std::string programFolder;  // ends with "/"; Channels.txt lies there
  UserPrompt* prompt = nullptr;
  FileDialogs* fileDialogs = nullptr;
  ModalRun runModal;  // not set: QDialog::exec
  // Finds the feeds of an address; nothing: the crawler's finder, from the
  // install folder (the program folder when that is empty).
  FeedSearcher* feedSearcher = nullptr;
  std::string installFolder;
};

// Runs the dialog with the services' ModalRun.
int RunModal(const ChannelDialogServices& services, QDialog& dialog);

// The window whose run list receives the chosen channels.
class ChannelListOwner {
 public:
  virtual ~ChannelListOwner() = default;
  // Appends the name unless the run list holds it already (letter case ignored).
  virtual void AddChannel(const std::string& name) = 0;
  // Removes the first entry equal to the name, letter case ignored.
  virtual void RemoveChannel(const std::string& name) = 0;
};

}  // namespace brevora
