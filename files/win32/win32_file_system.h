#pragma once

// The file layer on the real disk (Windows). Paths are UTF-8 inside the
// program and become wide characters only at the system calls, so a file
// name of any characters works whatever the system's code page.
//
// A run's lock is a named semaphore per file (by volume serial number and
// file index), not a lock on the file itself: Windows refuses to replace a
// file that is held open, and byte-range locks would keep others from
// reading it. The lock goes with the process that holds it.

#include "files/disk_file.h"

namespace sv {

class Win32FileSystem : public DiskFileSystem {
 public:
  std::error_code checkUse(const std::string& path, FileUse use) override;
  void removeDebris(const std::string& path) override;
  // A new file takes the access rules it is given and, once written, the
  // attributes and creation time; owner, group and mode play no part.
  std::error_code beginReplace(const std::string& path, const FileAttributes& attributes,
                               std::unique_ptr<Replacement>& out) override;

 protected:
  // Called once a file's bytes are read, before the file is checked for
  // having changed meanwhile.
  virtual void finishedReading(void* file);
  // A run's file is held open, sharing only reading and deletion, until its
  // bytes are read; from then on its name is checked instead.
  std::error_code openFile(const std::string& path, bool forRun,
                           std::unique_ptr<DiskFile>& file) override;
  std::error_code versionOfName(const std::string& path, FileVersion& version) override;

 private:
  class Reader;
};

// UTF-8 to the wide characters of the system calls and back. Invalid UTF-8
// gives false.
bool toWide(const std::string& utf8, std::wstring& wide);
std::string toUtf8(const std::wstring& wide);

// A Win32 error code as the generic error whose user words describeError
// knows, when there is one.
std::error_code fromWin32Error(unsigned long code);

}  // namespace sv
