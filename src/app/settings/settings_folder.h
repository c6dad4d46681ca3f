#pragma once
// Where Setting.ini lives. Beside the program, as the console has always kept it;
// but an installed program sits in a folder its users may not write to, and there
// the language would never be remembered, so then the user's configuration folder
// ($XDG_CONFIG_HOME/velmora, or ~/.config/velmora) takes its place.

#include <filesystem>
#include <string>

namespace velmora {

// The user's configuration folder for Velmora (not created here).
std::filesystem::path UserConfigFolder();

// Whether a file can be created in `folder` (tried with a temporary file, so
// that it holds for root and for read-only mounts alike).
bool IsWritableFolder(const std::filesystem::path& folder);

// `program_folder` when it is writable, or when it holds a Setting.ini that is;
// otherwise `user_folder`, created when missing (when that fails too, the
// program folder stays and the language is simply not remembered).
std::filesystem::path ChooseSettingsFolder(const std::filesystem::path& program_folder,
                                           const std::filesystem::path& user_folder = UserConfigFolder());

}  // namespace velmora
