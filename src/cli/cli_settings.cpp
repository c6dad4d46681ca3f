#include "cli/cli_settings.h"

namespace velmora::cli {

ProgramSettings CliProgramSettings() {
  ProgramSettings s;
  s.language = kLanguageEnglish;
  s.config_baud = 115200;
  s.config_scan_time = 5000;
  s.config_effects = 64;
  s.config_pink_noise_volume = 128;
  s.config_pink_noise_address = 0x00010000;
  s.config_pink_noise_size = 0x00020000;
  s.config_energy_full = 0x01000000;  // the devices' full-scale reading
  s.config_energy_min = -96;
  s.config_drc_offset = 0;
  s.config_limit_offset = 0;
  s.config_noisegate_offset = 0;
  return s;
}

}  // namespace velmora::cli
