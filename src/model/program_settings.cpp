#include "model/program_settings.h"

#include <cstdio>
#include <type_traits>

#include "model/number_text.h"

namespace velmora {

namespace {

constexpr std::size_t kLanguageBuffer = 8;

enum class Base { kDecimal, kHexadecimal, kSignedDecimal };

class Reader {
 public:
  Reader(const ConfigSource& config, std::vector<std::string>* warnings)
      : config_(config), warnings_(warnings) {}

  template <typename T>
  void Read(std::string_view control, std::string_view attribute, Base base, T& member) {
    const auto text = config_.Attribute(control, attribute);
    if (!text) return;
    if constexpr (std::is_signed_v<T>) {
      if (const auto value = ParseSigned32(*text)) {
        member = *value;
        return;
      }
    } else {
      if (const auto value = ParseUnsigned32(*text, base == Base::kHexadecimal ? 16 : 10)) {
        member = *value;
        return;
      }
    }
    Warn(std::string(control) + " " + std::string(attribute) + "=\"" + *text +
         "\" is not a number that fits; the default stays");
  }

  void Warn(std::string text) {
    if (warnings_) warnings_->push_back(std::move(text));
  }

 private:
  const ConfigSource& config_;
  std::vector<std::string>* warnings_;
};

}  // namespace

BandTable<std::int32_t> ProgramSettings::DefaultResetFrequencies() {
  BandTable<std::int32_t> table{};
  for (auto& side : table) side.fill(kDefaultEqFrequencies);
  return table;
}

std::array<std::int32_t, kBands> ParseFrequencyList(std::string_view text) {
  std::array<std::int32_t, kBands> frequencies = kDefaultEqFrequencies;
  std::size_t band = 0;
  for (std::size_t comma = text.find(','); comma != std::string_view::npos && band < kBands;
       comma = text.find(','), ++band) {
    const auto value = ParseSigned32(text.substr(0, comma));
    if (value && *value >= kFrequencyMin && *value <= kFrequencyMax) frequencies[band] = *value;
    text.remove_prefix(comma + 1);
  }
  return frequencies;
}

std::filesystem::path SettingsFilePath(const std::filesystem::path& folder) {
  return folder / kSettingsFileName;
}

ProgramSettings LoadProgramSettings(const ConfigSource& config, const std::filesystem::path& folder,
                                    std::vector<std::string>* warnings) {
  ProgramSettings s;
  Reader reader(config, warnings);

  const char* const families[kSides] = {"config_reset_frequency_input_%d",
                                        "config_reset_frequency_output_%d"};
  for (std::size_t side = 0; side < kSides; ++side) {
    for (std::size_t c = 0; c < kChannels; ++c) {
      char control[48];
      std::snprintf(control, sizeof control, families[side], static_cast<int>(c));
      if (const auto text = config.Attribute(control, "frequency"))
        s.config_reset_frequency[side][c] = ParseFrequencyList(*text);
    }
  }

  reader.Read("config_effects", "max", Base::kSignedDecimal, s.config_effects);
  reader.Read("config_pink_noise_address", "value", Base::kHexadecimal,
              s.config_pink_noise_address);
  reader.Read("config_pink_noise_size", "value", Base::kHexadecimal, s.config_pink_noise_size);
  reader.Read("config_pink_noise_volume", "value", Base::kDecimal, s.config_pink_noise_volume);
  if (config.Attribute("config_energy_full", "value")) {
    reader.Read("config_energy_full", "value", Base::kHexadecimal, s.config_energy_full);
    if (s.config_energy_full == 0) s.config_energy_full = 1;
  }
  reader.Read("config_baud", "value", Base::kDecimal, s.config_baud);
  reader.Read("config_scan_time", "value", Base::kDecimal, s.config_scan_time);
  reader.Read("config_energy_min", "value", Base::kSignedDecimal, s.config_energy_min);
  reader.Read("config_drc_offset", "value", Base::kHexadecimal, s.config_drc_offset);
  reader.Read("config_limit_offset", "value", Base::kHexadecimal, s.config_limit_offset);
  reader.Read("config_noisegate_offset", "value", Base::kHexadecimal, s.config_noisegate_offset);

  const std::string language = profile::GetPrivateProfileString(
      kSettingsSection, kLanguageKey, "0", kLanguageBuffer, SettingsFilePath(folder));
  if (const auto value = ParseSigned32(language))
    s.language = *value;
  else
    reader.Warn("Setting.ini Language=\"" + language + "\" is not a number; Chinese stays");
  return s;
}

profile::Status ToggleLanguage(ProgramSettings& settings, const std::filesystem::path& folder) {
  settings.language = settings.language == 0 ? kLanguageEnglish : kLanguageChinese;
  return profile::WritePrivateProfileString(
      kSettingsSection, kLanguageKey, std::to_string(settings.language), SettingsFilePath(folder));
}

}  // namespace velmora
