#pragma once
// A scratch folder for links, plain files and fake system trees, removed afterwards.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace velmora::testing {

class ScratchDir {
 public:
  ScratchDir() {
    char tmpl[] = "/tmp/velmora-serial-XXXXXX";
    if (::mkdtemp(tmpl)) path_ = tmpl;
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  // Writes `text` to the file at `relative`, creating its folders.
  void WriteFile(const std::string& relative, const std::string& text) const {
    const std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace velmora::testing
