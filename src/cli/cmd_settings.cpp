// velmora-cli settings: the program settings as the console reads them at
// start-up, from the skin's main layout (skin.zip beside the program, or
// --skin DIR|ZIP) and Setting.ini, one name=value line each. Numbers the layout
// gives in hexadecimal are printed as 0x..., the others in decimal.
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/settings/layout_config_source.h"
#include "app/settings/settings_folder.h"
#include "cli/args.h"
#include "cli/cli_settings.h"
#include "cli/command.h"

namespace velmora::cli {

namespace fs = std::filesystem;

int RunSettings(int argc, char** argv) {
  const Command* self = FindCommand("settings");
  const ParseResult parsed = ParseArgs(argc, argv, 1, {{"skin", "settings-folder"}, {}});
  if (!parsed.error.empty()) return UsageError(self, parsed.error);
  if (!parsed.args.positionals.empty()) return UsageError(self, "settings takes no arguments");

  auto skin = OpenCliSkin(parsed.args.value("skin"));
  if (!skin) {
    std::fprintf(stderr, "velmora-cli: %s\n", skin.error.c_str());
    return kExitFailed;
  }
  const auto folder = parsed.args.value("settings-folder");
  const SkinSettings read =
      LoadSkinSettings(*skin.value, folder ? fs::path(*folder) : ChooseSettingsFolder(ProgramFolder()));
  if (!read) {
    std::fprintf(stderr, "velmora-cli: %s\n", read.error.c_str());
    return kExitFailed;
  }
  for (const std::string& warning : read.warnings) std::fprintf(stderr, "velmora-cli: %s\n", warning.c_str());

  const ProgramSettings& s = read.settings;
  const auto decimal = [](const char* name, long long value) { std::printf("%s=%lld\n", name, value); };
  const auto hex = [](const char* name, std::uint32_t value) { std::printf("%s=0x%08" PRIX32 "\n", name, value); };
  decimal("language", s.language);
  decimal("config_baud", s.config_baud);
  decimal("config_scan_time", s.config_scan_time);
  decimal("config_effects", s.config_effects);
  hex("config_pink_noise_address", s.config_pink_noise_address);
  hex("config_pink_noise_size", s.config_pink_noise_size);
  decimal("config_pink_noise_volume", s.config_pink_noise_volume);
  hex("config_energy_full", s.config_energy_full);
  decimal("config_energy_min", s.config_energy_min);
  hex("config_drc_offset", s.config_drc_offset);
  hex("config_limit_offset", s.config_limit_offset);
  hex("config_noisegate_offset", s.config_noisegate_offset);
  return kExitOk;
}

}  // namespace velmora::cli
