#include "platform/file_system.h"

#include <cerrno>

namespace sv {

std::string describeError(std::error_code error) {
  if (error.category() == std::generic_category() || error.category() == std::system_category()) {
    switch (error.value()) {
      case ENOENT:
        return "file not found";
      case EACCES:
      case EPERM:
        return "access denied";
      case ENOSPC:
        return "disk full";
#ifdef EDQUOT
      case EDQUOT:
        return "disk quota exceeded";
#endif
      case EBUSY:
        return "the file is in use";
      case EISDIR:
        return "it is a folder, not a file";
      case EROFS:
        return "the disk is read-only";
      case ENAMETOOLONG:
        return "the name is too long";
      case ENOTDIR:
        return "a folder on the path is missing";
      case EIO:
        return "input/output error";
      default:
        break;
    }
  }
  return error.message();
}

}  // namespace sv
