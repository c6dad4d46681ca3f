#include "app/settings/settings_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "model/program_settings.h"

namespace velmora {

namespace fs = std::filesystem;

fs::path UserConfigFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return fs::path(xdg) / "velmora";
  if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".config" / "velmora";
  return fs::temp_directory_path() / "velmora";
}

bool IsWritableFolder(const fs::path& folder) {
  std::string probe = (folder / ".velmora-write-XXXXXX").string();
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

fs::path ChooseSettingsFolder(const fs::path& program_folder, const fs::path& user_folder) {
  if (IsWritableFolder(program_folder)) return program_folder;
  const fs::path existing = SettingsFilePath(program_folder);
  if (::access(existing.c_str(), W_OK) == 0) return program_folder;
  std::error_code ec;
  fs::create_directories(user_folder, ec);
  if (!ec && IsWritableFolder(user_folder)) return user_folder;
  return program_folder;
}

}  // namespace velmora
