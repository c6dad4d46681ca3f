#include "platform/profile/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace velmora::profile {

namespace {

std::string ErrnoText(const std::string& what, const std::filesystem::path& path) {
  return what + " " + path.string() + ": " + std::strerror(errno);
}

std::string CutToBuffer(std::string text, std::size_t buffer_size) {
  if (buffer_size == 0) return {};
  if (text.size() > buffer_size - 1) text.resize(buffer_size - 1);
  return text;
}

std::string DefaultValue(std::string_view default_text) {
  while (!default_text.empty() && (default_text.back() == ' ' || default_text.back() == '\t'))
    default_text.remove_suffix(1);
  return std::string(default_text);
}

// A link is followed so that its target is rewritten, not replaced by a file.
std::filesystem::path ResolveLinks(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::is_symlink(path, ec)) {
    const auto target = std::filesystem::weakly_canonical(path, ec);
    if (!ec) return target;
  }
  return path;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

Status ReadTextFile(const std::filesystem::path& path, std::string& text, bool& existed) {
  text.clear();
  existed = false;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return Status::Ok();
  existed = true;
  if (std::filesystem::is_directory(path, ec))
    return Status::Fail(path.string() + " is a folder, not a file");
  std::ifstream in(path, std::ios::binary);
  if (!in) return Status::Fail(ErrnoText("cannot open", path));
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) return Status::Fail(ErrnoText("cannot read", path));
  text = std::move(buffer).str();
  return Status::Ok();
}

Status ReplaceFileAtomically(const std::filesystem::path& requested, std::string_view contents) {
  const std::filesystem::path path = ResolveLinks(requested);
  const std::filesystem::path folder =
      path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  std::string temp = (folder / ("." + path.filename().string() + ".XXXXXX")).string();

  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return Status::Fail(ErrnoText("cannot create a file in", folder));

  // Keep the permissions of the file being replaced; new files get rw-r--r--.
  // (Asking for the umask would change it for every thread for a moment.)
  struct stat existing {};
  const mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
  ::fchmod(fd, mode);

  bool ok = WriteAll(fd, contents);
  int error = ok ? 0 : errno;
  if (ok && ::fsync(fd) != 0) {
    ok = false;
    error = errno;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    errno = error;
    return Status::Fail(ErrnoText("cannot write", path));
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    Status failure = Status::Fail(ErrnoText("cannot replace", path));
    ::unlink(temp.c_str());
    return failure;
  }
  return Status::Ok();
}

ProfileSession::ProfileSession(std::filesystem::path path) : path_(std::move(path)) {
  std::string text;
  open_status_ = ReadTextFile(path_, text, file_existed_);
  if (open_status_.ok) document_ = ProfileDocument::Parse(text);
}

std::string ProfileSession::GetString(std::string_view section, std::string_view key,
                                      std::string_view default_text,
                                      std::size_t buffer_size) const {
  auto value = document_.Get(section, key);
  return CutToBuffer(value ? std::move(*value) : DefaultValue(default_text), buffer_size);
}

Status ProfileSession::WriteString(std::string_view section, std::string_view key,
                                   std::string_view value) {
  if (!document_.Set(section, key, value))
    return Status::Fail("a profile name or value cannot hold a line break, and a key needs a name");
  dirty_ = true;
  return Status::Ok();
}

Status ProfileSession::Commit() {
  if (!dirty_) return Status::Ok();
  // A file that exists but could not be read is never overwritten: its
  // contents would be lost.
  if (!open_status_.ok) return open_status_;
  Status status = ReplaceFileAtomically(path_, document_.Serialize());
  if (status.ok) {
    dirty_ = false;
    file_existed_ = true;
  }
  return status;
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view default_text, std::size_t buffer_size,
                                    const std::filesystem::path& path) {
  return ProfileSession(path).GetString(section, key, default_text, buffer_size);
}

Status WritePrivateProfileString(std::string_view section, std::string_view key,
                                 std::string_view value, const std::filesystem::path& path) {
  ProfileSession session(path);
  if (!session.open_status().ok) return session.open_status();
  Status status = session.WriteString(section, key, value);
  if (!status.ok) return status;
  return session.Commit();
}

}  // namespace velmora::profile
