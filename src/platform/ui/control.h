#pragma once
// The base of every control: a named, windowless rectangle inside a window, with
// text, colours, images, a visibility and an enabled state, and free custom
// attributes. Controls are built from a layout by CDialogBuilder, laid out by their
// container, painted by their window's paint manager and fed input events by it.
//
// User-interface thread only.

#include <QFont>
#include <QPainter>

#include <functional>
#include <map>
#include <string>

#include "platform/ui/ui_types.h"

namespace velmora::ui {

class CPaintManagerUI;
class CContainerUI;

// What a control can be asked to do by its window. Positions are window coordinates.
enum class UiEvent {
  kMouseEnter,
  kMouseLeave,
  kMouseMove,
  kButtonDown,
  kButtonUp,
  kDblClick,
  kWheel,     // wheel_up tells the direction
  kKeyDown,   // key is a virtual key code
  kSetFocus,
  kKillFocus,
};

struct TEventUI {
  UiEvent type = UiEvent::kMouseMove;
  int x = 0, y = 0;
  int key = 0;
  bool wheel_up = false;
  std::uint32_t timestamp = 0;
};

struct SIZE {
  int cx = 0, cy = 0;
};

struct UiMargins {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Colours are 0xAARRGGBB; 0 means "none" (fully transparent).
using ARGB = std::uint32_t;

class CControlUI {
 public:
  CControlUI();
  virtual ~CControlUI();
  CControlUI(const CControlUI&) = delete;
  CControlUI& operator=(const CControlUI&) = delete;

  virtual std::string GetClass() const { return "ControlUI"; }

  // Identity and contents.
  const std::string& GetName() const { return name_; }
  void SetName(const std::string& name);
  virtual std::string GetText() const { return text_; }
  virtual void SetText(const std::string& text);
  const std::string& GetToolTip() const { return tooltip_; }
  void SetToolTip(const std::string& tip) { tooltip_ = tip; }
  const std::string& GetUserData() const { return userdata_; }
  void SetUserData(const std::string& data) { userdata_ = data; }
  std::uintptr_t GetTag() const { return tag_; }
  void SetTag(std::uintptr_t tag) { tag_ = tag; }

  // Visibility: a control is shown when it and every container above it are visible.
  bool IsVisible() const { return visible_ && intern_visible_; }
  bool IsOwnVisible() const { return visible_; }
  virtual void SetVisible(bool visible);
  virtual void SetInternVisible(bool visible);
  bool IsEnabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  bool IsMouseEnabled() const { return mouse_enabled_; }
  void SetMouseEnabled(bool enabled) { mouse_enabled_ = enabled; }
  virtual bool IsFocusable() const { return false; }
  bool IsFocused() const;
  void SetFocus();

  // Looks.
  ARGB GetBkColor() const { return bk_color_; }
  void SetBkColor(ARGB color);
  ARGB GetBorderColor() const { return border_color_; }
  void SetBorderColor(ARGB color);
  void SetBorderSize(int size);
  void SetBorderRound(int radius);
  const std::string& GetBkImage() const { return bk_image_; }
  void SetBkImage(const std::string& image);
  const std::string& GetForeImage() const { return fore_image_; }
  void SetForeImage(const std::string& image);
  ARGB GetTextColor() const { return text_color_; }
  void SetTextColor(ARGB color);
  void SetDisabledTextColor(ARGB color) { disabled_text_color_ = color; Invalidate(); }
  int GetFont() const { return font_; }
  void SetFont(int index);
  UINT GetTextStyle() const { return text_style_; }
  void SetTextStyle(UINT style) { text_style_ = style; Invalidate(); }
  void SetTextPadding(UiMargins padding) { text_padding_ = padding; Invalidate(); }

  // Geometry. A fixed width or height of 0 means "share what is left".
  const UiRect& GetPos() const { return rect_; }
  virtual void SetPos(const UiRect& rect);
  int GetWidth() const { return rect_.width(); }
  int GetHeight() const { return rect_.height(); }
  int GetFixedWidth() const { return fixed_width_; }
  int GetFixedHeight() const { return fixed_height_; }
  void SetFixedWidth(int width);
  void SetFixedHeight(int height);
  int GetMinWidth() const { return min_width_; }
  int GetMinHeight() const { return min_height_; }
  int GetMaxWidth() const { return max_width_; }
  int GetMaxHeight() const { return max_height_; }
  // The outer margin a container keeps around this control.
  const UiMargins& GetPadding() const { return padding_; }
  void SetPadding(UiMargins padding);
  // A floating control sits at `float_pos` inside its container instead of flowing.
  bool IsFloat() const { return float_; }
  const UiRect& GetFloatPos() const { return float_pos_; }
  void SetFloat(bool is_float, UiRect pos);
  // The size this control asks its container for (0 = stretch).
  virtual SIZE EstimateSize(SIZE available) const;

  // Attributes, as in a layout or an attribute list.
  virtual void SetAttribute(const std::string& name, const std::string& value);
  // Applies `name="value" name2="value2"`; returns false if the list is malformed.
  bool ApplyAttributeList(const std::string& list);
  // Free attributes the control does not know itself; nullptr when absent.
  const char* GetCustomAttribute(const std::string& name) const;
  void AddCustomAttribute(const std::string& name, const std::string& value);
  bool RemoveCustomAttribute(const std::string& name);

  // Tree.
  CContainerUI* GetParent() const { return parent_; }
  CPaintManagerUI* GetManager() const { return manager_; }
  virtual void SetManager(CPaintManagerUI* manager, CContainerUI* parent);
  // The deepest visible control under (x, y) that takes the mouse, or nullptr.
  virtual CControlUI* FindControlAt(int x, int y);
  // Calls `visit` on this control and every control below it.
  virtual void ForEach(const std::function<void(CControlUI*)>& visit);

  // Input and painting, called by the paint manager.
  virtual void DoEvent(TEventUI& event);
  virtual void DoPaint(QPainter& painter, const UiRect& clip);
  // A user's click: what a button press-and-release does.
  virtual bool Activate();

  void Invalidate();
  void NeedUpdate();        // this control's size or contents changed
  void NeedParentUpdate();  // its container must lay out again

 protected:
  virtual void PaintBkColor(QPainter& painter);
  virtual void PaintBkImage(QPainter& painter);
  virtual void PaintStatusImage(QPainter& painter);
  virtual void PaintText(QPainter& painter);
  virtual void PaintBorder(QPainter& painter);
  // Draws an image string relative to this control; false when the image is missing.
  bool DrawImage(QPainter& painter, const std::string& image);
  ARGB EffectiveTextColor() const;
  UiRect TextRect() const;
  // Sends a notification to this control's window.
  void Notify(const std::string& type, WPARAM wparam = 0, LPARAM lparam = 0);

  std::string name_, text_, tooltip_, userdata_;
  std::uintptr_t tag_ = 0;
  bool visible_ = true, intern_visible_ = true, enabled_ = true, mouse_enabled_ = true;
  ARGB bk_color_ = 0, border_color_ = 0, text_color_ = 0, disabled_text_color_ = 0;
  int border_size_ = 0, border_round_ = 0, font_ = -1;
  UINT text_style_ = DT_VCENTER | DT_SINGLELINE;
  UiMargins text_padding_, padding_;
  std::string bk_image_, fore_image_;
  UiRect rect_, float_pos_;
  bool float_ = false;
  int fixed_width_ = 0, fixed_height_ = 0, min_width_ = 0, min_height_ = 0;
  int max_width_ = 99999, max_height_ = 99999;
  std::map<std::string, std::string> custom_;
  CContainerUI* parent_ = nullptr;
  CPaintManagerUI* manager_ = nullptr;
};

// Attribute value parsing shared by the controls and the builder.
ARGB ParseColor(const std::string& value);  // "#AARRGGBB", "#RRGGBB", "0xAARRGGBB"
bool ParseBool(const std::string& value);
UiRect ParseRect(const std::string& value);      // "l,t,r,b"
UiMargins ParseMargins(const std::string& value);
SIZE ParseSize(const std::string& value);        // "cx,cy"
QColor ToQColor(ARGB color);

}  // namespace velmora::ui
