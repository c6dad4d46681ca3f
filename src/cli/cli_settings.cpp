#include "cli/cli_settings.h"

#include <cstdio>
#include <system_error>

#include "app/settings/layout_config_source.h"
#include "app/settings/settings_folder.h"
#include "app/skin_password.h"

namespace velmora::cli {

namespace fs = std::filesystem;

ProgramSettings BuiltInProgramSettings() {
  ProgramSettings s;
  s.language = kLanguageEnglish;
  s.config_baud = 115200;
  s.config_scan_time = 5000;
  s.config_effects = 64;
  s.config_pink_noise_volume = 128;
  s.config_pink_noise_address = 0x00010000;
  s.config_pink_noise_size = 0x00020000;
  s.config_energy_full = 0x40000000;  // the devices' full-scale reading
  s.config_energy_min = -96;
  s.config_drc_offset = 0;
  s.config_limit_offset = 0;
  s.config_noisegate_offset = 0;
  return s;
}

fs::path ProgramFolder() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::current_path() : self.parent_path();
}

SkinResult<std::unique_ptr<SkinSource>> OpenCliSkin(const std::optional<std::string>& given) {
  if (!given) return OpenSkinArchive((ProgramFolder() / "skin.zip").string(), kSkinPassword);
  std::error_code ec;
  if (fs::is_directory(*given, ec)) return OpenSkinFolder(*given);
  return OpenSkinArchive(*given, kSkinPassword);
}

ProgramSettings CliProgramSettings() {
  std::error_code ec;
  if (!fs::exists(ProgramFolder() / "skin.zip", ec)) return BuiltInProgramSettings();
  auto skin = OpenCliSkin(std::nullopt);
  if (skin) {
    SkinSettings read = LoadSkinSettings(*skin.value, ChooseSettingsFolder(ProgramFolder()));
    if (read) {
      read.settings.language = kLanguageEnglish;  // the CLI speaks English whatever the console does
      return read.settings;
    }
    skin.error = read.error;
  }
  std::fprintf(stderr, "velmora-cli: %s; using the built-in settings\n", skin.error.c_str());
  return BuiltInProgramSettings();
}

}  // namespace velmora::cli
