#include "app/settings/layout_config_source.h"

namespace velmora {

std::optional<std::string> LayoutConfigSource::Attribute(std::string_view control,
                                                         std::string_view attribute) const {
  const layout::Element* element = layout::FindByName(document_, std::string(control));
  if (!element) return std::nullopt;
  const std::string* value = element->Attribute(std::string(attribute));
  if (!value) return std::nullopt;
  return *value;
}

SkinSettings LoadSkinSettings(const SkinSource& skin, const std::filesystem::path& settings_folder) {
  SkinSettings out;
  const auto load = [&skin](const std::string& path, std::string& text, std::string& error) {
    auto read = skin.Read(path);
    if (!read) {
      error = read.error;
      return false;
    }
    text.assign(read.value.begin(), read.value.end());
    return true;
  };
  const layout::ReadResult read = layout::ReadLayout(kMainWindowLayout, load);
  if (!read) {
    out.error = read.error;
    return out;
  }
  out.settings = LoadProgramSettings(LayoutConfigSource(read.document), settings_folder, &out.warnings);
  return out;
}

}  // namespace velmora
