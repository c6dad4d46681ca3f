#pragma once
// The console's settings: the interface language, remembered in Setting.ini,
// and the fixed configuration carried by the hidden config_* controls of the
// main window's layout.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/device_record.h"
#include "platform/profile/profile_file.h"

namespace velmora {

inline constexpr std::string_view kSettingsFileName = "Setting.ini";
inline constexpr std::string_view kSettingsSection = "Option";
inline constexpr std::string_view kLanguageKey = "Language";
inline constexpr std::int32_t kLanguageChinese = 0;
inline constexpr std::int32_t kLanguageEnglish = 1;

struct ProgramSettings {
  std::int32_t language = kLanguageChinese;
  std::uint32_t config_baud = 115200;
  std::uint32_t config_scan_time = 5000;  // ms
  std::int32_t config_effects = 0;        // blocks in the effects image
  std::uint32_t config_pink_noise_address = 0;
  std::uint32_t config_pink_noise_size = 0;
  std::uint32_t config_pink_noise_volume = 0;
  std::uint32_t config_energy_full = 0;
  std::int32_t config_energy_min = -96;  // dB
  std::uint32_t config_drc_offset = 0;
  std::uint32_t config_limit_offset = 0;
  std::uint32_t config_noisegate_offset = 0;
  BandTable<std::int32_t> config_reset_frequency = DefaultResetFrequencies();

  static BandTable<std::int32_t> DefaultResetFrequencies();
};

// Where the configuration comes from: the main window answers over its layout.
class ConfigSource {
 public:
  virtual ~ConfigSource() = default;
  // The text of a control's attribute; nothing when the control or the
  // attribute is absent.
  virtual std::optional<std::string> Attribute(std::string_view control,
                                               std::string_view attribute) const = 0;
};

// Reads the configuration controls, then the language from `folder`/Setting.ini.
// Nothing here stops the program: an absent control keeps the default silently;
// a value holding no number, or one that does not fit its member, keeps the
// default and adds a line to `warnings` (when given).
ProgramSettings LoadProgramSettings(const ConfigSource& config, const std::filesystem::path& folder,
                                    std::vector<std::string>* warnings = nullptr);

// The 31 reset frequencies of one channel from a "frequency" attribute: only the
// pieces followed by a ',' count, and a piece outside 20..20000 (or holding no
// number) keeps that band's default.
std::array<std::int32_t, kBands> ParseFrequencyList(std::string_view text);

// Switches between English and Chinese (any value but 0 becomes 0) and stores
// the new value in `folder`/Setting.ini. The language changes even when the
// file cannot be written; the status says why it was not remembered.
profile::Status ToggleLanguage(ProgramSettings& settings, const std::filesystem::path& folder);

std::filesystem::path SettingsFilePath(const std::filesystem::path& folder);

}  // namespace velmora
