#pragma once
// LevelMeterUI: the energy page's bar, a slider the user cannot move, drawn as a
// vertical row of segments lit from the bottom up to its value. The value and
// the range are tenths of a dB (the bar's maximum is 0 dB); segments are green
// up to -12 dB, yellow up to -3 dB and red above, unlit ones a dim shade of
// their colour.

#include "platform/ui/basic_controls.h"

namespace velmora {

class LevelMeterUI : public ui::CSliderUI {
 public:
  std::string GetClass() const override { return "LevelMeterUI"; }
  bool IsFocusable() const override { return false; }
  // Not draggable: a meter only shows.
  void DoEvent(ui::TEventUI& event) override { CControlUI::DoEvent(event); }

  static ui::ARGB ZoneColor(double level_db);

 protected:
  void PaintStatusImage(QPainter& painter) override;
};

}  // namespace velmora
