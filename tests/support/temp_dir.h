#pragma once

// A folder of its own under the system's temporary folder for a test that
// works on real files, removed with everything in it afterwards.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace sv::testing {

class TempDir {
 public:
  // A folder that exists already is never taken: no two tests share one.
  TempDir() {
    std::error_code error;
    const auto base = std::filesystem::temp_directory_path(error);
    std::random_device random;
    for (int attempt = 0; attempt < 100 && !error && m_dir.empty(); ++attempt) {
      const auto dir = base / ("sv-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(dir, error)) m_dir = dir;
    }
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }

  bool ok() const { return !m_dir.empty(); }
  const std::filesystem::path& dir() const { return m_dir; }
  std::string path(const std::string& name) const { return (m_dir / name).string(); }
  long entries() const { return std::distance(std::filesystem::directory_iterator(m_dir), {}); }

  // Paths as the system spells them (wide on Windows, so any name works).
  static void write(const std::filesystem::path& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
  }
  static std::string read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

 private:
  std::filesystem::path m_dir;
};

}  // namespace sv::testing
