// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace brevora {

class UserPrompt;

// Causes of a failed file operation, numbered as the configuration's messages
// expect them (0 is no error).
enum FileErrorCause : int {
  kNoError = 0,
  kGenericError = 1,
  kFileNotFound = 2,
  kBadPath = 3,
  kTooManyOpenFiles = 4,
  kAccessDenied = 5,
  kInvalidFile = 6,
  kRemoveCurrentDir = 7,
  kDirectoryFull = 8,
  kBadSeek = 9,
  kHardIO = 10,
  kSharingViolation = 11,
  kLockViolation = 12,
  kDiskFull = 13,
  kEndOfFile = 14,
};

// The cause of a failure from the errno value the system left.
int CauseFromErrno(int error);

// The message of a cause; empty for 0 and for causes without a message.
std::string FileErrorMessage(int cause);

// Shows the message of the cause with an OK button; nothing for a cause
// without a message.
void ReportFileError(int cause, UserPrompt& prompt);

}  // namespace brevora
