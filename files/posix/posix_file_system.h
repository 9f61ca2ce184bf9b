#pragma once

// The file layer on the real disk (POSIX, with Linux's O_TMPFILE where the
// file system has it).

#include "files/file_system.h"

namespace sv {

class PosixFileSystem : public FileSystem {
 public:
  std::error_code readFile(const std::string& path, SharedContents& contents) override;
  std::error_code lockForRun(const std::string& path, std::unique_ptr<LockedFile>& out) override;
  std::error_code checkUse(const std::string& path, FileUse use) override;
  void removeDebris(const std::string& path) override;
  std::error_code beginReplace(const std::string& path, const FileAttributes& attributes,
                               std::unique_ptr<Replacement>& out) override;
  bool sameFile(const std::string& a, const std::string& b) override;

 protected:
  // The steps that make data durable or visible, one call each, so that a
  // test can watch their order. They return 0 or -1 with errno set.
  virtual int syncFile(int fd);
  virtual int syncFolder(int fd);
  virtual int renameOver(int folderFd, const char* from, const char* to);
  // Called once a file's bytes are read, before the file is checked for
  // having changed meanwhile.
  virtual void finishedReading(int fd);
  // Opens an unnamed file in the folder (O_TMPFILE); where the file system
  // has none, it fails and a named temporary is used instead.
  virtual int createUnnamed(int folderFd);
  // Gives an unnamed file a name in the folder.
  virtual int linkUnnamed(int fd, int folderFd, const char* name);

 private:
  class Writer;
  class Lock;
  class Reader;
};

}  // namespace sv
