#pragma once
// The console's configuration as the main window reads it: the hidden config_
// controls of its built layout, found by name, and their custom attributes.

#include "model/program_settings.h"
#include "platform/ui/paint_manager.h"

namespace velmora {

class PaintManagerConfigSource final : public ConfigSource {
 public:
  explicit PaintManagerConfigSource(const ui::CPaintManagerUI& manager) : manager_(manager) {}
  std::optional<std::string> Attribute(std::string_view control,
                                       std::string_view attribute) const override {
    const ui::CControlUI* found = manager_.FindControl(std::string(control));
    if (!found) return std::nullopt;
    const char* value = found->GetCustomAttribute(std::string(attribute));
    if (!value) return std::nullopt;
    return std::string(value);
  }

 private:
  const ui::CPaintManagerUI& manager_;
};

}  // namespace velmora
