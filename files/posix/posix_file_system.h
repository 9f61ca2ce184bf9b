#pragma once

// The file layer on the real disk (POSIX, with Linux's O_TMPFILE where the
// file system has it).

#include "files/disk_file.h"

namespace sv {

class PosixFileSystem : public DiskFileSystem {
 public:
  std::error_code checkUse(const std::string& path, FileUse use) override;
  void removeDebris(const std::string& path) override;
  std::error_code beginReplace(const std::string& path, const FileAttributes& attributes,
                               std::unique_ptr<Replacement>& out) override;

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
  // has none, it fails and a named temporary is made instead, private from
  // its creation.
  virtual int createUnnamed(int folderFd);
  virtual int createNamed(int folderFd, const char* name);
  // Gives an unnamed file a name in the folder.
  virtual int linkUnnamed(int fd, int folderFd, const char* name);
  // Takes the run's lock on an open file (flock, without waiting).
  virtual int lockFile(int fd);

  std::error_code openFile(const std::string& path, bool forRun,
                           std::unique_ptr<DiskFile>& file) override;
  std::error_code versionOfName(const std::string& path, FileVersion& version) override;

 private:
  class Writer;
  class Reader;
};

}  // namespace sv
