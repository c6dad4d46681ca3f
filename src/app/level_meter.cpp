#include "app/level_meter.h"

#include <algorithm>

namespace velmora {

using namespace ui;

ARGB LevelMeterUI::ZoneColor(double level_db) {
  if (level_db > -3.0) return 0xFFF0524F;   // red
  if (level_db > -12.0) return 0xFFF5C84C;  // yellow
  return 0xFF03C171;                        // green
}

void LevelMeterUI::PaintStatusImage(QPainter& painter) {
  constexpr int kSegment = 3, kGap = 1;
  const int height = rect_.height();
  if (height < kSegment || max_ <= min_) return;
  painter.save();
  painter.setPen(Qt::NoPen);
  const int segments = (height + kGap) / (kSegment + kGap);
  const double lit_fraction = Fraction();
  for (int s = 0; s < segments; ++s) {
    // The level at the segment's top edge decides its colour and whether it is lit.
    const double top_fraction = double(s + 1) / segments;
    const double level_db = (min_ + top_fraction * (max_ - min_)) / 10.0;
    const bool lit = lit_fraction > 0 && double(s) / segments < lit_fraction;
    QColor color = ToQColor(ZoneColor(level_db));
    if (!lit) color.setAlpha(38);
    const int bottom = rect_.bottom - s * (kSegment + kGap);
    painter.fillRect(QRect(rect_.left, bottom - kSegment, rect_.width(), kSegment), color);
  }
  painter.restore();
}

}  // namespace velmora
