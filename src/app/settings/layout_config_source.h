#pragma once
// The console's configuration read straight from a skin layout, without a
// window: the same expanded layout the window's builder makes its controls from
// (platform/layout), so that the CLI and the window read the same values. The
// window itself reads its built controls (PaintManagerConfigSource).

#include <filesystem>
#include <string>
#include <vector>

#include "model/program_settings.h"
#include "platform/archive/skin_archive.h"
#include "platform/layout/layout_document.h"

namespace velmora {

// A config_ control is the first element of that name, in layout order; its
// attributes are the element's, as written (after {expr} expansion).
class LayoutConfigSource final : public ConfigSource {
 public:
  explicit LayoutConfigSource(const layout::Document& document) : document_(document) {}
  std::optional<std::string> Attribute(std::string_view control,
                                       std::string_view attribute) const override;

 private:
  const layout::Document& document_;
};

inline constexpr char kMainWindowLayout[] = "view/MainWindow.xml";

struct SkinSettings {
  ProgramSettings settings;
  std::vector<std::string> warnings;
  std::string error;  // the layout could not be read; `settings` holds the defaults
  explicit operator bool() const { return error.empty(); }
};

// Reads view/MainWindow.xml (with its includes) from `skin` and the program
// settings from it, and the language from `settings_folder`/Setting.ini.
SkinSettings LoadSkinSettings(const SkinSource& skin, const std::filesystem::path& settings_folder);

}  // namespace velmora
