// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_error.h"

#include <cerrno>

#include "base/user_prompt.h"

namespace brevora {

int CauseFromErrno(int error) {
  switch (error) {
    case 0:
      return kNoError;
    case ENOENT:
      return kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
      return kBadPath;
    case EMFILE:
    case ENFILE:
      return kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return kAccessDenied;
    case EBADF:
      return kInvalidFile;
    case EBUSY:
    case ETXTBSY:
      return kSharingViolation;
    case ENOSPC:
    case EDQUOT:
      return kDiskFull;
    case EIO:
      return kHardIO;
    default:
      return kGenericError;
  }
}

std::string FileErrorMessage(int cause) {
  switch (cause) {
    case kGenericError:
      return "An unspecified error occurred!";
    case kFileNotFound:
      return "Configuration file could not be located!";
    case kBadPath:
      return "All or part of the path is invalid!";
    case kTooManyOpenFiles:
      return "The permitted number of open files was exceeded!";
    case kAccessDenied:
      return "The file could not be accessed!";
    case kInvalidFile:
      return "There was an attempt to use an invalid file handle!";
    case kRemoveCurrentDir:
      return "The current working directory cannot be removed!";
    case kDirectoryFull:
      return "There are no more directory entries!";
    case kBadSeek:
      return "There was an error trying to set the file pointer!";
    case kHardIO:
      return "There was a hardware error!";
    case kSharingViolation:
      return "Sharing violation occured!";
    case kLockViolation:
      return "There was an attempt to lock a region that was already locked!";
    case kDiskFull:
      return "The disk is full!";
    case kEndOfFile:
      return "The end of file was reached!";
    default:
      return {};
  }
}

void ReportFileError(int cause, UserPrompt& prompt) {
  const std::string message = FileErrorMessage(cause);
  if (!message.empty()) prompt.Notify(message);
}

}  // namespace brevora
