#include "sim/upload_store.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace velmora::sim {

std::string SafeUploadName(const std::string& block0_name) {
  std::string name = block0_name;
  const auto slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  std::string clean;
  for (unsigned char c : name)
    if (c >= 0x20 && c != 0x7F) clean += static_cast<char>(c);
  if (clean.empty() || clean == "." || clean == "..") return "upload.bin";
  return clean;
}

Result<std::string> StoreUpload(const std::string& dir, const ReceivedUpload& upload) {
  using R = Result<std::string>;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) return R::Fail("cannot create " + dir + ": " + ec.message());
  const std::string path = (std::filesystem::path(dir) / SafeUploadName(upload.file_name)).string();
  const std::string temporary = path + ".part";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return R::Fail("cannot write " + temporary + ": " + std::strerror(errno));
  const bool written = std::fwrite(upload.data.data(), 1, upload.data.size(), file) == upload.data.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    std::remove(temporary.c_str());
    return R::Fail("cannot write " + temporary);
  }
  std::filesystem::rename(temporary, path, ec);
  if (ec) return R::Fail("cannot rename to " + path + ": " + ec.message());
  return R::Ok(path);
}

}  // namespace velmora::sim
