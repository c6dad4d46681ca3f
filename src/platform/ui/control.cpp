#include "platform/ui/control.h"

#include <chrono>
#include <cstdlib>
#include <sstream>

#include "platform/ui/containers.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/render.h"

namespace velmora::ui {

std::uint32_t MonotonicMs() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// --- Attribute values --------------------------------------------------------

ARGB ParseColor(const std::string& value) {
  std::string digits = value;
  if (!digits.empty() && digits[0] == '#') digits.erase(0, 1);
  else if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
    digits.erase(0, 2);
  ARGB color = static_cast<ARGB>(std::strtoul(digits.c_str(), nullptr, 16));
  if (digits.size() == 6) color |= 0xFF000000u;
  return color;
}

bool ParseBool(const std::string& value) { return value == "true" || value == "1"; }

static std::vector<int> ParseInts(const std::string& value) {
  std::vector<int> numbers;
  std::stringstream in(value);
  std::string part;
  while (std::getline(in, part, ',')) numbers.push_back(std::atoi(part.c_str()));
  return numbers;
}

UiRect ParseRect(const std::string& value) {
  auto n = ParseInts(value);
  n.resize(4, 0);
  return {n[0], n[1], n[2], n[3]};
}

UiMargins ParseMargins(const std::string& value) {
  auto n = ParseInts(value);
  n.resize(4, 0);
  return {n[0], n[1], n[2], n[3]};
}

SIZE ParseSize(const std::string& value) {
  auto n = ParseInts(value);
  n.resize(2, 0);
  return {n[0], n[1]};
}

QColor ToQColor(ARGB color) {
  return QColor((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF, (color >> 24) & 0xFF);
}

// --- CControlUI ----------------------------------------------------------------

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
  if (manager_) manager_->ControlGone(this);
}

void CControlUI::SetName(const std::string& name) {
  if (name == name_) return;
  std::string old = name_;
  name_ = name;
  if (manager_) manager_->NameChanged(this, old);
}

void CControlUI::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  Invalidate();
}

void CControlUI::SetVisible(bool visible) {
  if (visible_ == visible) return;
  const bool was_shown = IsVisible();
  visible_ = visible;
  if (!IsVisible() && manager_ && manager_->GetFocus() == this) manager_->SetFocus(nullptr);
  if (was_shown != IsVisible()) NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible) {
  intern_visible_ = visible;
  if (!IsVisible() && manager_ && manager_->GetFocus() == this) manager_->SetFocus(nullptr);
}

void CControlUI::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Invalidate();
}

bool CControlUI::IsFocused() const { return manager_ && manager_->GetFocus() == this; }

void CControlUI::SetFocus() {
  if (manager_) manager_->SetFocus(this);
}

void CControlUI::SetBkColor(ARGB color) { bk_color_ = color; Invalidate(); }
void CControlUI::SetBorderColor(ARGB color) { border_color_ = color; Invalidate(); }
void CControlUI::SetBorderSize(int size) { border_size_ = size; Invalidate(); }
void CControlUI::SetBorderRound(int radius) { border_round_ = radius; Invalidate(); }
void CControlUI::SetBkImage(const std::string& image) { bk_image_ = image; Invalidate(); }
void CControlUI::SetForeImage(const std::string& image) { fore_image_ = image; Invalidate(); }
void CControlUI::SetTextColor(ARGB color) { text_color_ = color; Invalidate(); }
void CControlUI::SetFont(int index) { font_ = index; Invalidate(); }

void CControlUI::SetPos(const UiRect& rect) {
  rect_ = rect;
  Invalidate();
}

void CControlUI::SetFixedWidth(int width) {
  if (width < 0 || width == fixed_width_) return;
  fixed_width_ = width;
  NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int height) {
  if (height < 0 || height == fixed_height_) return;
  fixed_height_ = height;
  NeedParentUpdate();
}

void CControlUI::SetPadding(UiMargins padding) {
  padding_ = padding;
  NeedParentUpdate();
}

void CControlUI::SetFloat(bool is_float, UiRect pos) {
  float_ = is_float;
  float_pos_ = pos;
  if (is_float) {
    fixed_width_ = pos.width();
    fixed_height_ = pos.height();
  }
  NeedParentUpdate();
}

SIZE CControlUI::EstimateSize(SIZE) const { return {fixed_width_, fixed_height_}; }

void CControlUI::SetAttribute(const std::string& name, const std::string& value) {
  if (name == "name") SetName(value);
  else if (name == "text") SetText(value);
  else if (name == "tooltip") SetToolTip(value);
  else if (name == "userdata") SetUserData(value);
  else if (name == "visible") SetVisible(ParseBool(value));
  else if (name == "enabled") SetEnabled(ParseBool(value));
  else if (name == "mouse") SetMouseEnabled(ParseBool(value));
  else if (name == "width") SetFixedWidth(std::atoi(value.c_str()));
  else if (name == "height") SetFixedHeight(std::atoi(value.c_str()));
  else if (name == "minwidth") min_width_ = std::atoi(value.c_str());
  else if (name == "minheight") min_height_ = std::atoi(value.c_str());
  else if (name == "maxwidth") max_width_ = std::atoi(value.c_str());
  else if (name == "maxheight") max_height_ = std::atoi(value.c_str());
  else if (name == "padding") SetPadding(ParseMargins(value));
  else if (name == "pos") SetFloat(true, ParseRect(value));
  else if (name == "float") float_ = ParseBool(value);
  else if (name == "bkcolor") SetBkColor(ParseColor(value));
  else if (name == "bordercolor") SetBorderColor(ParseColor(value));
  else if (name == "bordersize") SetBorderSize(std::atoi(value.c_str()));
  else if (name == "borderround") SetBorderRound(std::atoi(value.c_str()));
  else if (name == "bkimage") SetBkImage(value);
  else if (name == "foreimage") SetForeImage(value);
  else if (name == "textcolor") SetTextColor(ParseColor(value));
  else if (name == "disabledtextcolor") SetDisabledTextColor(ParseColor(value));
  else if (name == "font") SetFont(std::atoi(value.c_str()));
  else if (name == "textpadding") SetTextPadding(ParseMargins(value));
  else if (name == "align") {
    text_style_ &= ~(DT_CENTER | DT_RIGHT);
    if (value == "center") text_style_ |= DT_CENTER;
    else if (value == "right") text_style_ |= DT_RIGHT;
  } else if (name == "valign") {
    text_style_ &= ~(DT_VCENTER | DT_BOTTOM);
    if (value == "center") text_style_ |= DT_VCENTER;
    else if (value == "bottom") text_style_ |= DT_BOTTOM;
  } else if (name == "multiline") {
    if (ParseBool(value)) text_style_ = (text_style_ & ~DT_SINGLELINE) | DT_WORDBREAK;
    else text_style_ = (text_style_ & ~DT_WORDBREAK) | DT_SINGLELINE;
  } else if (name == "endellipsis") {
    if (ParseBool(value)) text_style_ |= DT_END_ELLIPSIS;
    else text_style_ &= ~DT_END_ELLIPSIS;
  } else
    AddCustomAttribute(name, value);
}

bool CControlUI::ApplyAttributeList(const std::string& list) {
  std::size_t i = 0;
  auto skip_space = [&] {
    while (i < list.size() && std::isspace(static_cast<unsigned char>(list[i]))) ++i;
  };
  for (;;) {
    skip_space();
    if (i >= list.size()) return true;
    const std::size_t name_start = i;
    while (i < list.size() && list[i] != '=' && !std::isspace(static_cast<unsigned char>(list[i])))
      ++i;
    std::string name = list.substr(name_start, i - name_start);
    skip_space();
    if (i >= list.size() || list[i] != '=' || name.empty()) return false;
    ++i;
    skip_space();
    if (i >= list.size() || (list[i] != '"' && list[i] != '\'')) return false;
    const char quote = list[i++];
    const std::size_t value_end = list.find(quote, i);
    if (value_end == std::string::npos) return false;
    SetAttribute(name, list.substr(i, value_end - i));
    i = value_end + 1;
  }
}

const char* CControlUI::GetCustomAttribute(const std::string& name) const {
  auto found = custom_.find(name);
  return found == custom_.end() ? nullptr : found->second.c_str();
}

void CControlUI::AddCustomAttribute(const std::string& name, const std::string& value) {
  custom_[name] = value;
}

bool CControlUI::RemoveCustomAttribute(const std::string& name) { return custom_.erase(name) > 0; }

void CControlUI::SetManager(CPaintManagerUI* manager, CContainerUI* parent) {
  parent_ = parent;
  if (manager_ == manager) return;
  if (manager_) manager_->ControlGone(this);
  manager_ = manager;
  if (manager_ && !name_.empty()) manager_->NameChanged(this, {});
}

CControlUI* CControlUI::FindControlAt(int x, int y) {
  if (!IsVisible() || !rect_.contains(x, y)) return nullptr;
  return mouse_enabled_ ? this : nullptr;
}

void CControlUI::ForEach(const std::function<void(CControlUI*)>& visit) { visit(this); }

void CControlUI::DoEvent(TEventUI& event) {
  switch (event.type) {
    case UiEvent::kMouseEnter:
      Notify("mouseenter");
      break;
    case UiEvent::kMouseLeave:
      Notify("mouseleave");
      break;
    case UiEvent::kSetFocus:
      Notify("setfocus");
      break;
    case UiEvent::kKillFocus:
      Notify("killfocus");
      break;
    case UiEvent::kButtonDown:
    case UiEvent::kButtonUp:
    case UiEvent::kDblClick:
    case UiEvent::kWheel:
    case UiEvent::kKeyDown:
      // What this control does not use goes to its container: a click on a label
      // inside a list element selects the element, the wheel scrolls the layout.
      if (parent_) parent_->DoEvent(event);
      break;
    default:
      break;
  }
}

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

void CControlUI::DoPaint(QPainter& painter, const UiRect&) {
  PaintBkColor(painter);
  PaintBkImage(painter);
  PaintStatusImage(painter);
  PaintText(painter);
  PaintBorder(painter);
}

void CControlUI::PaintBkColor(QPainter& painter) {
  if (!bk_color_) return;
  if (border_round_ > 0) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(bk_color_));
    painter.drawRoundedRect(QRectF(rect_.left, rect_.top, rect_.width(), rect_.height()),
                            border_round_, border_round_);
    painter.restore();
  } else {
    CRenderEngine::DrawColor(painter, rect_, bk_color_);
  }
}

void CControlUI::PaintBkImage(QPainter& painter) {
  if (!bk_image_.empty()) DrawImage(painter, bk_image_);
}

void CControlUI::PaintStatusImage(QPainter& painter) {
  if (!fore_image_.empty()) DrawImage(painter, fore_image_);
}

ARGB CControlUI::EffectiveTextColor() const {
  if (!enabled_) return disabled_text_color_ ? disabled_text_color_ : 0xFF5A6068;
  return text_color_ ? text_color_ : 0xFFE6E8EB;
}

UiRect CControlUI::TextRect() const {
  return {rect_.left + text_padding_.left, rect_.top + text_padding_.top,
          rect_.right - text_padding_.right, rect_.bottom - text_padding_.bottom};
}

void CControlUI::PaintText(QPainter& painter) {
  const std::string text = GetText();
  if (text.empty()) return;
  CRenderEngine::DrawTextA(painter, manager_, TextRect(), text, EffectiveTextColor(), font_,
                           text_style_);
}

void CControlUI::PaintBorder(QPainter& painter) {
  if (!border_color_ || border_size_ <= 0) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, border_round_ > 0);
  painter.setPen(QPen(ToQColor(border_color_), border_size_));
  painter.setBrush(Qt::NoBrush);
  const double half = border_size_ / 2.0;
  QRectF r(rect_.left + half, rect_.top + half, rect_.width() - border_size_,
           rect_.height() - border_size_);
  if (border_round_ > 0) painter.drawRoundedRect(r, border_round_, border_round_);
  else painter.drawRect(r);
  painter.restore();
}

bool CControlUI::DrawImage(QPainter& painter, const std::string& image) {
  return CRenderEngine::DrawImageString(painter, manager_, rect_, image);
}

void CControlUI::Notify(const std::string& type, WPARAM wparam, LPARAM lparam) {
  if (manager_) manager_->SendNotify(this, type, wparam, lparam);
}

void CControlUI::Invalidate() {
  if (manager_) manager_->Invalidate(rect_);
}

void CControlUI::NeedUpdate() {
  if (manager_) {
    manager_->NeedUpdate();
    manager_->Invalidate();
  }
}

void CControlUI::NeedParentUpdate() { NeedUpdate(); }

}  // namespace velmora::ui
