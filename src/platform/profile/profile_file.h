#pragma once
// Private-profile files on disk: the two functions the console's settings and
// parameter files use, with the semantics of their Windows namesakes, and a
// session that keeps one file in memory across many reads and writes.
//
// - A missing file, section or key reads as the default.
// - A write creates the file (and the section) when missing and keeps every
//   other line as it was; new files use CRLF line endings.
// - A file is replaced atomically: written to a temporary file beside it, then
//   renamed over it, so that a crash never leaves half a file behind.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/profile/profile_document.h"

namespace velmora::profile {

struct Status {
  bool ok = true;
  std::string reason;  // empty when ok

  static Status Ok() { return {}; }
  static Status Fail(std::string why) { return {false, std::move(why)}; }
};

// The value of `key` in `section`, else `default_text` with its trailing blanks
// removed; in both cases cut to `buffer_size` - 1 characters, as a buffer of that
// many bytes with its terminating zero would hold.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view default_text, std::size_t buffer_size,
                                    const std::filesystem::path& path);

// Stores `value` under `key` in `section`, rewriting the whole file.
Status WritePrivateProfileString(std::string_view section, std::string_view key,
                                 std::string_view value, const std::filesystem::path& path);

// One file held in memory: reads and writes behave exactly like the two
// functions above, but the file is read once when the session opens and
// written once, by Commit(), if anything changed.
class ProfileSession {
 public:
  // A missing file opens as an empty document; one that cannot be read does
  // too, with the reason kept in open_status().
  explicit ProfileSession(std::filesystem::path path);

  const Status& open_status() const { return open_status_; }
  bool file_existed() const { return file_existed_; }
  const ProfileDocument& document() const { return document_; }

  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view default_text, std::size_t buffer_size) const;
  // Fails only for names or values that cannot be stored on one line.
  Status WriteString(std::string_view section, std::string_view key, std::string_view value);

  // Writes the file if a write changed the document; otherwise does nothing.
  Status Commit();

 private:
  std::filesystem::path path_;
  ProfileDocument document_;
  Status open_status_;
  bool file_existed_ = false;
  bool dirty_ = false;
};

// Whole-file helpers, used by the session and by tests.
Status ReadTextFile(const std::filesystem::path& path, std::string& text, bool& existed);
Status ReplaceFileAtomically(const std::filesystem::path& path, std::string_view contents);

}  // namespace velmora::profile
