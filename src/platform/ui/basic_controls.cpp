#include "platform/ui/basic_controls.h"

#include <algorithm>
#include <cmath>

#include <QPolygonF>

#include "platform/ui/containers.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/render.h"

namespace velmora::ui {

// --- CButtonUI -----------------------------------------------------------------

void CButtonUI::SetAttribute(const std::string& name, const std::string& value) {
  if (name == "normalimage") SetNormalImage(value);
  else if (name == "hotimage") SetHotImage(value);
  else if (name == "pushedimage") SetPushedImage(value);
  else if (name == "disabledimage") SetDisabledImage(value);
  else if (name == "hotbkcolor") hot_bk_color_ = ParseColor(value);
  else if (name == "pushedbkcolor") pushed_bk_color_ = ParseColor(value);
  else if (name == "disabledbkcolor") disabled_bk_color_ = ParseColor(value);
  else if (name == "hottextcolor") hot_text_color_ = ParseColor(value);
  else if (name == "pushedtextcolor") pushed_text_color_ = ParseColor(value);
  else if (name == "glyph") glyph_ = value;
  else if (name == "iconrect") icon_rect_ = ParseRect(value);
  else CLabelUI::SetAttribute(name, value);
}

void CButtonUI::DoEvent(TEventUI& event) {
  switch (event.type) {
    case UiEvent::kMouseEnter:
      hot_ = true;
      Invalidate();
      break;
    case UiEvent::kMouseLeave:
      hot_ = false;
      Invalidate();
      break;
    case UiEvent::kButtonDown:
      if (IsEnabled()) {
        pushed_ = true;
        Invalidate();
      }
      return;
    case UiEvent::kDblClick:
      if (IsEnabled()) {
        pushed_ = true;
        Invalidate();
        Notify("dbclick");
      }
      return;
    case UiEvent::kButtonUp:
      if (pushed_) {
        pushed_ = false;
        Invalidate();
        if (rect_.contains(event.x, event.y)) Activate();
      }
      return;
    case UiEvent::kKeyDown:
      if (event.key == VK_RETURN || event.key == ' ') {
        Activate();
        return;
      }
      break;
    default:
      break;
  }
  CLabelUI::DoEvent(event);
}

bool CButtonUI::Activate() {
  if (!CControlUI::Activate()) return false;
  Notify("click");
  return true;
}

ARGB CButtonUI::StateBkColor() const {
  if (!IsEnabled()) return disabled_bk_color_ ? disabled_bk_color_ : bk_color_;
  if (pushed_ && pushed_bk_color_) return pushed_bk_color_;
  if ((hot_ || pushed_) && hot_bk_color_) return hot_bk_color_;
  return bk_color_;
}

ARGB CButtonUI::StateTextColor() const {
  if (!IsEnabled()) return EffectiveTextColor();
  if (pushed_ && pushed_text_color_) return pushed_text_color_;
  if ((hot_ || pushed_) && hot_text_color_) return hot_text_color_;
  return EffectiveTextColor();
}

void CButtonUI::PaintBkColor(QPainter& painter) {
  const ARGB saved = bk_color_;
  bk_color_ = StateBkColor();
  CLabelUI::PaintBkColor(painter);
  bk_color_ = saved;
}

std::string CButtonUI::PlaceImage(const std::string& image) const {
  if (icon_rect_.empty() || image.find('=') != std::string::npos) return image;
  return "file='" + image + "' dest='" + std::to_string(icon_rect_.left) + "," +
         std::to_string(icon_rect_.top) + "," + std::to_string(icon_rect_.right) + "," +
         std::to_string(icon_rect_.bottom) + "'";
}

void CButtonUI::PaintStatusImage(QPainter& painter) {
  const std::string* image = &normal_image_;
  if (!IsEnabled() && !disabled_image_.empty()) image = &disabled_image_;
  else if (pushed_ && !pushed_image_.empty()) image = &pushed_image_;
  else if ((hot_ || pushed_) && !hot_image_.empty()) image = &hot_image_;
  if (!image->empty() && !DrawImage(painter, PlaceImage(*image)) && image != &normal_image_ &&
      !normal_image_.empty())
    DrawImage(painter, PlaceImage(normal_image_));
  if (!glyph_.empty()) PaintGlyph(painter);
  CLabelUI::PaintStatusImage(painter);
}

void CButtonUI::PaintGlyph(QPainter& painter) {
  // 1.5 px strokes on a 16 px grid; with text the icon sits left of it.
  const bool with_text = !GetText().empty();
  const double size = 16;
  const double left = with_text ? rect_.left + text_padding_.left - size - 6
                                : rect_.left + (rect_.width() - size) / 2.0;
  const double top = rect_.top + (rect_.height() - size) / 2.0;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(left, top);
  QPen pen(ToQColor(StateTextColor()), 1.5);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  if (glyph_ == "minimize") {
    painter.drawLine(QPointF(4, 8.5), QPointF(12, 8.5));
  } else if (glyph_ == "maximize") {
    painter.drawRect(QRectF(4, 4, 8, 8));
  } else if (glyph_ == "restore") {
    painter.drawRect(QRectF(4, 6, 6, 6));
    painter.drawPolyline(QPolygonF({QPointF(6, 6), QPointF(6, 4), QPointF(12, 4), QPointF(12, 10),
                                    QPointF(10, 10)}));
  } else if (glyph_ == "close") {
    painter.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
    painter.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
  } else if (glyph_ == "scan") {
    painter.drawEllipse(QPointF(7, 7), 4, 4);
    painter.drawLine(QPointF(10, 10), QPointF(13.5, 13.5));
  } else if (glyph_ == "gear") {
    painter.drawEllipse(QPointF(8, 8), 2.2, 2.2);
    for (int i = 0; i < 8; ++i) {
      painter.save();
      painter.translate(8, 8);
      painter.rotate(i * 45);
      painter.drawLine(QPointF(0, -4.2), QPointF(0, -6.5));
      painter.restore();
    }
    painter.drawEllipse(QPointF(8, 8), 4.2, 4.2);
  } else if (glyph_ == "file") {
    painter.drawPolyline(QPolygonF({QPointF(9, 2.5), QPointF(4, 2.5), QPointF(4, 13.5),
                                    QPointF(12, 13.5), QPointF(12, 5.5), QPointF(9, 2.5),
                                    QPointF(9, 5.5), QPointF(12, 5.5)}));
  } else if (glyph_ == "bug") {
    painter.drawPolyline(QPolygonF({QPointF(2.5, 4), QPointF(6, 8), QPointF(2.5, 12)}));
    painter.drawLine(QPointF(8, 12), QPointF(13.5, 12));
  } else if (glyph_ == "menu") {
    for (double y : {4.5, 8.0, 11.5}) painter.drawLine(QPointF(3.5, y), QPointF(12.5, y));
  } else if (glyph_ == "chevron") {
    painter.drawPolyline(QPolygonF({QPointF(4, 6), QPointF(8, 10), QPointF(12, 6)}));
  } else if (glyph_ == "sync") {
    painter.drawArc(QRectF(3, 3, 10, 10), 30 * 16, 260 * 16);
    painter.drawPolyline(QPolygonF({QPointF(12.5, 2.5), QPointF(12.5, 6), QPointF(9, 6)}));
  } else if (glyph_ == "trash") {
    painter.drawLine(QPointF(3, 4.5), QPointF(13, 4.5));
    painter.drawPolyline(QPolygonF({QPointF(4.5, 4.5), QPointF(5.5, 13.5), QPointF(10.5, 13.5),
                                    QPointF(11.5, 4.5)}));
    painter.drawLine(QPointF(6.5, 2.5), QPointF(9.5, 2.5));
  }
  painter.restore();
}

void CButtonUI::PaintText(QPainter& painter) {
  const std::string text = GetText();
  if (text.empty()) return;
  CRenderEngine::DrawTextA(painter, manager_, TextRect(), text, StateTextColor(), font_,
                           text_style_);
}

// --- COptionUI -----------------------------------------------------------------

void COptionUI::Selected(bool selected, bool send_notify) {
  if (selected_ == selected) return;
  selected_ = selected;
  Invalidate();
  if (selected && !group_.empty() && manager_ && manager_->GetRoot()) {
    std::vector<COptionUI*> others;
    manager_->GetRoot()->ForEach([&](CControlUI* c) {
      auto* option = dynamic_cast<COptionUI*>(c);
      if (option && option != this && option->group_ == group_ && option->selected_)
        others.push_back(option);
    });
    if (send_notify) Notify("selectchanged");
    for (COptionUI* other : others) other->Selected(false, send_notify);
    return;
  }
  if (send_notify) Notify("selectchanged");
}

void COptionUI::SetAttribute(const std::string& name, const std::string& value) {
  if (name == "group") SetGroup(value);
  else if (name == "selected") Selected(ParseBool(value));
  else if (name == "selectedimage") SetSelectedImage(value);
  else if (name == "selectedhotimage") selected_hot_image_ = value;
  else if (name == "selectedbkcolor") selected_bk_color_ = ParseColor(value);
  else if (name == "selectedtextcolor") selected_text_color_ = ParseColor(value);
  else CButtonUI::SetAttribute(name, value);
}

bool COptionUI::Activate() {
  if (!CButtonUI::Activate()) return false;
  if (!group_.empty()) Selected(true, true);
  else Selected(!selected_, true);
  return true;
}

ARGB COptionUI::StateBkColor() const {
  if (selected_ && selected_bk_color_ && IsEnabled()) return selected_bk_color_;
  return CButtonUI::StateBkColor();
}

ARGB COptionUI::StateTextColor() const {
  if (selected_ && selected_text_color_ && IsEnabled()) return selected_text_color_;
  return CButtonUI::StateTextColor();
}

void COptionUI::PaintStatusImage(QPainter& painter) {
  if (selected_) {
    if (hot_ && !selected_hot_image_.empty() && DrawImage(painter, PlaceImage(selected_hot_image_))) return;
    if (!selected_image_.empty() && DrawImage(painter, PlaceImage(selected_image_))) return;
  }
  CButtonUI::PaintStatusImage(painter);
}

// --- CCheckBoxUI ---------------------------------------------------------------

void CCheckBoxUI::SetAttribute(const std::string& name, const std::string& value) {
  if (name == "checkcolor") check_color_ = ParseColor(value);
  else if (name == "drawbox") draw_box_ = ParseBool(value);
  else COptionUI::SetAttribute(name, value);
}

void CCheckBoxUI::PaintStatusImage(QPainter& painter) {
  if (!normal_image_.empty() || !selected_image_.empty()) {
    COptionUI::PaintStatusImage(painter);
    return;
  }
  if (!draw_box_) return;
  // No images: a rounded box at the left, filled with the check colour when ticked.
  const int box = std::min(14, rect_.height() - 2);
  const int top = rect_.top + (rect_.height() - box) / 2;
  QRectF r(rect_.left + 1.5, top + 0.5, box - 1, box - 1);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const ARGB on = IsEnabled() ? check_color_ : 0xFF5A6068;
  if (selected_) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(on));
    painter.drawRoundedRect(r, 3, 3);
    QPen tick(ToQColor(0xFF17181B), 2);
    tick.setCapStyle(Qt::RoundCap);
    tick.setJoinStyle(Qt::RoundJoin);
    painter.setPen(tick);
    const QPointF points[3] = {{r.left() + box * 0.24, r.top() + box * 0.52},
                               {r.left() + box * 0.43, r.top() + box * 0.70},
                               {r.left() + box * 0.76, r.top() + box * 0.30}};
    painter.drawPolyline(points, 3);
  } else {
    painter.setPen(QPen(ToQColor(hot_ ? 0xFF7DC8FA : 0xFF5A6068), 1));
    painter.setBrush(ToQColor(0xFF1B1D21));
    painter.drawRoundedRect(r, 3, 3);
  }
  painter.restore();
}

void CCheckBoxUI::PaintText(QPainter& painter) {
  const std::string text = GetText();
  if (text.empty()) return;
  UiRect r = TextRect();
  if (draw_box_ && normal_image_.empty() && selected_image_.empty())
    r.left = std::max(r.left, rect_.left + std::min(14, rect_.height() - 2) + 8);
  CRenderEngine::DrawTextA(painter, manager_, r, text, StateTextColor(), font_, text_style_);
}

// --- CProgressUI ---------------------------------------------------------------

void CProgressUI::SetValue(int value) {
  value = std::clamp(value, std::min(min_, max_), std::max(min_, max_));
  if (value == value_) return;
  value_ = value;
  Invalidate();
}

void CProgressUI::SetMinValue(int value) { min_ = value; SetValue(value_); Invalidate(); }
void CProgressUI::SetMaxValue(int value) { max_ = value; SetValue(value_); Invalidate(); }

void CProgressUI::SetAttribute(const std::string& name, const std::string& value) {
  if (name == "min") SetMinValue(std::atoi(value.c_str()));
  else if (name == "max") SetMaxValue(std::atoi(value.c_str()));
  else if (name == "value") SetValue(std::atoi(value.c_str()));
  else if (name == "hor") horizontal_ = ParseBool(value);
  else if (name == "forecolor") fore_color_ = ParseColor(value);
  else CLabelUI::SetAttribute(name, value);
}

double CProgressUI::Fraction() const {
  if (max_ == min_) return 0;
  return std::clamp(double(value_ - min_) / double(max_ - min_), 0.0, 1.0);
}

void CProgressUI::PaintStatusImage(QPainter& painter) {
  UiRect fill = rect_;
  if (horizontal_) fill.right = rect_.left + int(std::lround(rect_.width() * Fraction()));
  else fill.top = rect_.bottom - int(std::lround(rect_.height() * Fraction()));
  if (fill.empty()) return;
  if (!fore_image_.empty()) {
    painter.save();
    painter.setClipRect(QRect(fill.left, fill.top, fill.width(), fill.height()), Qt::IntersectClip);
    DrawImage(painter, fore_image_);
    painter.restore();
    return;
  }
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(ToQColor(IsEnabled() ? fore_color_ : 0xFF41454D));
  const double radius = border_round_ > 0 ? border_round_ : 0;
  painter.drawRoundedRect(QRectF(fill.left, fill.top, fill.width(), fill.height()), radius, radius);
  painter.restore();
}

// --- CSliderUI -----------------------------------------------------------------

void CSliderUI::SetAttribute(const std::string& name, const std::string& value) {
  if (name == "step" || name == "changestep") SetChangeStep(std::atoi(value.c_str()));
  else if (name == "thumbsize") thumb_ = ParseSize(value);
  else if (name == "thumbimage") thumb_image_ = value;
  else if (name == "thumbhotimage") thumb_hot_image_ = value;
  else if (name == "thumbpushedimage") thumb_pushed_image_ = value;
  else if (name == "thumbcolor") thumb_color_ = ParseColor(value);
  else CProgressUI::SetAttribute(name, value);
}

UiRect CSliderUI::ThumbRect() const {
  const double f = Fraction();
  if (horizontal_) {
    const int travel = rect_.width() - thumb_.cx;
    const int left = rect_.left + int(std::lround(travel * f));
    const int top = rect_.top + (rect_.height() - thumb_.cy) / 2;
    return {left, top, left + thumb_.cx, top + thumb_.cy};
  }
  const int travel = rect_.height() - thumb_.cy;
  const int top = rect_.bottom - thumb_.cy - int(std::lround(travel * f));
  const int left = rect_.left + (rect_.width() - thumb_.cx) / 2;
  return {left, top, left + thumb_.cx, top + thumb_.cy};
}

int CSliderUI::ValueAt(int x, int y) const {
  double f;
  if (horizontal_) {
    const int travel = std::max(1, rect_.width() - thumb_.cx);
    f = double(x - rect_.left - thumb_.cx / 2) / travel;
  } else {
    const int travel = std::max(1, rect_.height() - thumb_.cy);
    f = double(rect_.bottom - thumb_.cy / 2 - y) / travel;
  }
  f = std::clamp(f, 0.0, 1.0);
  int value = min_ + int(std::lround(f * (max_ - min_)));
  // Snap to the change step counted from the minimum.
  if (step_ > 1) value = min_ + int(std::lround(double(value - min_) / step_)) * step_;
  return std::clamp(value, std::min(min_, max_), std::max(min_, max_));
}

void CSliderUI::DoEvent(TEventUI& event) {
  if (!IsEnabled()) {
    CProgressUI::DoEvent(event);
    return;
  }
  switch (event.type) {
    case UiEvent::kButtonDown:
    case UiEvent::kDblClick:
      dragging_ = true;
      if (!ThumbRect().contains(event.x, event.y)) {
        const int value = ValueAt(event.x, event.y);
        if (value != value_) {
          SetValue(value);
          Notify("movevaluechanged");
        }
      }
      return;
    case UiEvent::kMouseMove:
      if (dragging_) {
        const int value = ValueAt(event.x, event.y);
        if (value != value_) {
          SetValue(value);
          Notify("movevaluechanged");
        }
      } else {
        const bool hot = ThumbRect().contains(event.x, event.y);
        if (hot != thumb_hot_) {
          thumb_hot_ = hot;
          Invalidate();
        }
      }
      return;
    case UiEvent::kButtonUp:
      if (dragging_) {
        dragging_ = false;
        Invalidate();
        Notify("valuechanged");
      }
      return;
    case UiEvent::kMouseLeave:
      thumb_hot_ = false;
      Invalidate();
      break;
    case UiEvent::kWheel:
      SetValue(value_ + (event.wheel_up ? step_ : -step_));
      Notify("valuechanged");
      return;
    case UiEvent::kKeyDown:
      if (event.key >= VK_LEFT && event.key <= VK_DOWN) {
        const bool up = event.key == VK_UP || event.key == VK_RIGHT;
        SetValue(value_ + (up ? step_ : -step_));
        Notify("valuechanged");
        return;
      }
      break;
    default:
      break;
  }
  CProgressUI::DoEvent(event);
}

void CSliderUI::PaintStatusImage(QPainter& painter) {
  // Track, filled part, then the thumb.
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  const UiRect thumb = ThumbRect();
  QRectF track, filled;
  if (horizontal_) {
    const double cy = rect_.top + rect_.height() / 2.0;
    track = QRectF(rect_.left + thumb_.cx / 2.0, cy - 2, rect_.width() - thumb_.cx, 4);
    filled = QRectF(track.left(), track.top(), thumb.left + thumb_.cx / 2.0 - track.left(), 4);
  } else {
    const double cx = rect_.left + rect_.width() / 2.0;
    track = QRectF(cx - 2, rect_.top + thumb_.cy / 2.0, 4, rect_.height() - thumb_.cy);
    const double thumb_mid = thumb.top + thumb_.cy / 2.0;
    filled = QRectF(track.left(), thumb_mid, 4, track.bottom() - thumb_mid);
  }
  painter.setBrush(ToQColor(0xFF363A42));
  painter.drawRoundedRect(track, 2, 2);
  painter.setBrush(ToQColor(IsEnabled() ? fore_color_ : 0xFF41454D));
  painter.drawRoundedRect(filled, 2, 2);
  painter.restore();

  const std::string& image = dragging_ && !thumb_pushed_image_.empty() ? thumb_pushed_image_
                             : thumb_hot_ && !thumb_hot_image_.empty() ? thumb_hot_image_
                                                                        : thumb_image_;
  if (!image.empty() && CRenderEngine::DrawImageString(painter, manager_, thumb, image)) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(ToQColor(0xFF17181B), 1));
  painter.setBrush(ToQColor(dragging_ || thumb_hot_ ? 0xFFFFFFFF : thumb_color_));
  painter.drawRoundedRect(QRectF(thumb.left + 0.5, thumb.top + 0.5, thumb.width() - 1,
                                 thumb.height() - 1), 3, 3);
  if (!horizontal_) {  // a fader cap: a line across its middle
    painter.setPen(QPen(ToQColor(0xFF17181B), 1.5));
    const double mid = thumb.top + thumb.height() / 2.0;
    painter.drawLine(QPointF(thumb.left + 3, mid), QPointF(thumb.right - 3, mid));
  }
  painter.restore();
}

}  // namespace velmora::ui
