#include "platform/archive/skin_archive.h"

#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string ZipErrorText(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string text = zip_error_strerror(&error);
  zip_error_fini(&error);
  return text;
}

// Owns a libzip archive handle.
struct ZipCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipCloser>;

// The archive's entries, decrypted once at opening. A skin is small (well under a
// few megabytes), and reading everything up front means a wrong password or a
// damaged entry is found at start-up rather than when a dialog first opens.
class ArchiveSkin final : public SkinSource {
 public:
  ArchiveSkin(std::string path, std::map<std::string, std::vector<std::uint8_t>> files)
      : path_(std::move(path)), files_(std::move(files)) {}

  SkinResult<std::vector<std::uint8_t>> Read(const std::string& path) const override {
    auto found = files_.find(path);
    if (found == files_.end()) return {{}, path + " is not in " + path_};
    return {found->second, {}};
  }
  std::string Describe() const override { return path_; }

 private:
  std::string path_;
  std::map<std::string, std::vector<std::uint8_t>> files_;
};

class FolderSkin final : public SkinSource {
 public:
  explicit FolderSkin(fs::path folder) : folder_(std::move(folder)) {}

  SkinResult<std::vector<std::uint8_t>> Read(const std::string& path) const override {
    // Entries are relative; refuse anything that climbs out of the skin folder.
    fs::path relative(path);
    if (relative.is_absolute() ||
        std::any_of(relative.begin(), relative.end(), [](const fs::path& p) { return p == ".."; }))
      return {{}, path + ": not a path inside the skin"};
    std::ifstream in(folder_ / relative, std::ios::binary);
    if (!in) return {{}, path + " is not in " + folder_.string()};
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    return {std::move(bytes), {}};
  }
  std::string Describe() const override { return folder_.string(); }

 private:
  fs::path folder_;
};

}  // namespace

SkinResult<std::unique_ptr<SkinSource>> OpenSkinArchive(const std::string& zip_path,
                                                        const std::string& password) {
  int code = 0;
  ZipHandle archive(zip_open(zip_path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code));
  if (!archive) return {nullptr, "cannot open the skin archive " + zip_path + ": " + ZipErrorText(code)};
  if (zip_set_default_password(archive.get(), password.c_str()) != 0)
    return {nullptr, "cannot set the skin archive's password"};

  std::map<std::string, std::vector<std::uint8_t>> files;
  const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    if (zip_stat_index(archive.get(), i, 0, &stat) != 0) continue;
    std::string name = stat.name;
    if (name.empty() || name.back() == '/') continue;  // a folder entry
    zip_file_t* file = zip_fopen_index(archive.get(), i, 0);
    if (!file) {
      const bool password = zip_error_code_zip(zip_get_error(archive.get())) == ZIP_ER_WRONGPASSWD;
      return {nullptr, "cannot read " + name + " from the skin archive " + zip_path + ": " +
                           (password ? std::string("wrong password") : zip_strerror(archive.get()))};
    }
    std::vector<std::uint8_t> bytes(stat.size);
    const zip_int64_t got = zip_fread(file, bytes.data(), bytes.size());
    zip_fclose(file);
    // A wrong password fails here: AES entries carry a password check and a MAC.
    if (got != static_cast<zip_int64_t>(bytes.size()))
      return {nullptr, "cannot read " + name + " from the skin archive " + zip_path +
                           " (wrong password or damaged archive)"};
    files.emplace(std::move(name), std::move(bytes));
  }
  if (files.empty()) return {nullptr, "the skin archive " + zip_path + " is empty"};
  return {std::make_unique<ArchiveSkin>(zip_path, std::move(files)), {}};
}

SkinResult<std::unique_ptr<SkinSource>> OpenSkinFolder(const std::string& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return {nullptr, "the skin folder " + folder + " does not exist"};
  return {std::make_unique<FolderSkin>(folder), {}};
}

SkinResult<std::size_t> PackSkinFolder(const std::string& folder, const std::string& zip_path,
                                       const std::string& password) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return {0, folder + " is not a folder"};

  std::vector<fs::path> paths;
  for (const auto& entry : fs::recursive_directory_iterator(folder, ec))
    if (entry.is_regular_file()) paths.push_back(entry.path());
  if (ec) return {0, "cannot list " + folder + ": " + ec.message()};
  std::sort(paths.begin(), paths.end());  // the same archive from the same tree

  int code = 0;
  ZipHandle archive(zip_open(zip_path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code));
  if (!archive) return {0, "cannot create " + zip_path + ": " + ZipErrorText(code)};

  for (const fs::path& path : paths) {
    const std::string name = fs::relative(path, folder).generic_string();
    zip_source_t* source = zip_source_file(archive.get(), path.c_str(), 0, -1);
    if (!source) return {0, "cannot read " + path.string() + ": " + zip_strerror(archive.get())};
    const zip_int64_t index = zip_file_add(archive.get(), name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      return {0, "cannot add " + name + ": " + zip_strerror(archive.get())};
    }
    if (zip_file_set_encryption(archive.get(), index, ZIP_EM_AES_256, password.c_str()) != 0)
      return {0, "cannot encrypt " + name + ": " + zip_strerror(archive.get())};
  }
  zip_t* raw = archive.release();
  if (zip_close(raw) != 0) {
    std::string error = zip_strerror(raw);
    zip_discard(raw);
    return {0, "cannot write " + zip_path + ": " + error};
  }
  return {paths.size(), {}};
}

}  // namespace velmora
