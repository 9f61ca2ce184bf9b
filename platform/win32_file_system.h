#pragma once

// The file layer on the real disk (Windows). Paths are UTF-8 inside the
// program and become wide characters only at the system calls, so a file
// name of any characters works whatever the system's code page.

#include "platform/file_system.h"

namespace sv {

class Win32FileSystem : public FileSystem {
 public:
  // Reads into memory of its own: Windows cannot replace a file while it is
  // mapped, and the compared file is replaced while its contents are held.
  std::error_code readFile(const std::string& path, SharedContents& contents) override;
  // Writes to a uniquely named file beside the target and moves it over the
  // target on commit. The new file gets the folder's inherited permissions,
  // as any new file on Windows; permissionsFrom plays no part.
  std::error_code beginReplace(const std::string& path, const std::string& permissionsFrom,
                               std::unique_ptr<Replacement>& out) override;
  // By volume serial number and file index, which links and different
  // spellings of one path share.
  bool sameFile(const std::string& a, const std::string& b) override;
};

// UTF-8 to the wide characters of the system calls and back. Invalid UTF-8
// gives an empty string and false.
bool toWide(const std::string& utf8, std::wstring& wide);
std::string toUtf8(const std::wstring& wide);

// A Win32 error code as the generic error whose user words describeError
// knows, when there is one.
std::error_code fromWin32Error(unsigned long code);

}  // namespace sv
