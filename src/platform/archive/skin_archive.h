#pragma once
// Where the skin's layouts, menus and images come from: the password-protected
// skin.zip beside the program, or a plain folder while someone works on the skin.
// Both answer the same question: the bytes of one file by its path inside the skin
// ("view/MainWindow.xml", "image/input.png").
//
// Not shared between threads: the user-interface thread opens and reads the skin.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velmora {

// The outcome of opening or reading: on failure `error` says why, for a person.
template <typename T>
struct SkinResult {
  T value{};
  std::string error;
  explicit operator bool() const { return error.empty(); }
};

class SkinSource {
 public:
  virtual ~SkinSource() = default;
  virtual SkinResult<std::vector<std::uint8_t>> Read(const std::string& path) const = 0;
  // What the skin is, for messages: "skin.zip" or the folder.
  virtual std::string Describe() const = 0;
};

// Opens an encrypted archive. Every entry is read with `password`; the whole archive
// is read into memory once, so the file on disk may change afterwards.
SkinResult<std::unique_ptr<SkinSource>> OpenSkinArchive(const std::string& zip_path,
                                                        const std::string& password);

// A folder laid out like the archive.
SkinResult<std::unique_ptr<SkinSource>> OpenSkinFolder(const std::string& folder);

// Packs every regular file below `folder` into a new archive at `zip_path`, each
// entry encrypted with AES-256 under `password`. Entry names use '/' and are
// relative to the folder. Replaces an existing archive.
SkinResult<std::size_t> PackSkinFolder(const std::string& folder, const std::string& zip_path,
                                       const std::string& password);

}  // namespace velmora
