#pragma once
// Labels, buttons, options and check boxes, progress bars and sliders.

#include <string>

#include "platform/ui/control.h"

namespace velmora::ui {

class CLabelUI : public CControlUI {
 public:
  std::string GetClass() const override { return "LabelUI"; }
};

// Sends "click" when pressed and released over it, "dbclick" on a double click.
class CButtonUI : public CLabelUI {
 public:
  std::string GetClass() const override { return "ButtonUI"; }
  void SetNormalImage(const std::string& image) { normal_image_ = image; Invalidate(); }
  void SetHotImage(const std::string& image) { hot_image_ = image; Invalidate(); }
  void SetPushedImage(const std::string& image) { pushed_image_ = image; Invalidate(); }
  void SetDisabledImage(const std::string& image) { disabled_image_ = image; Invalidate(); }
  const std::string& GetNormalImage() const { return normal_image_; }
  const std::string& GetHotImage() const { return hot_image_; }
  const std::string& GetPushedImage() const { return pushed_image_; }
  bool IsHot() const { return hot_; }
  bool IsPushed() const { return pushed_; }

  bool IsFocusable() const override { return true; }
  void SetAttribute(const std::string& name, const std::string& value) override;
  void DoEvent(TEventUI& event) override;
  bool Activate() override;

 protected:
  void PaintBkColor(QPainter& painter) override;
  void PaintStatusImage(QPainter& painter) override;
  void PaintText(QPainter& painter) override;
  virtual ARGB StateBkColor() const;
  virtual ARGB StateTextColor() const;

  // A line icon drawn in place of an image, sharp at every scale: "minimize",
  // "maximize", "restore", "close", "scan", "gear", "file", "bug", "chevron".
  void PaintGlyph(QPainter& painter);

  // Where a state image given as a plain path is drawn ("iconrect", relative to the
  // button); without it the image fills the button.
  std::string PlaceImage(const std::string& image) const;
  UiRect icon_rect_;

  std::string normal_image_, hot_image_, pushed_image_, disabled_image_, glyph_;
  ARGB hot_bk_color_ = 0, pushed_bk_color_ = 0, hot_text_color_ = 0, pushed_text_color_ = 0;
  ARGB disabled_bk_color_ = 0;
  bool hot_ = false, pushed_ = false;
};

// A button with a selected state. Options of one group (same "group" in one window)
// are exclusive; an option without a group toggles. A user's click sends "click",
// then "selectchanged" for every option whose state changed.
class COptionUI : public CButtonUI {
 public:
  std::string GetClass() const override { return "OptionUI"; }
  bool IsSelected() const { return selected_; }
  // Changes the state; notifies "selectchanged" only when asked to (user input does).
  virtual void Selected(bool selected, bool send_notify = false);
  const std::string& GetGroup() const { return group_; }
  void SetGroup(const std::string& group) { group_ = group; }
  void SetSelectedImage(const std::string& image) { selected_image_ = image; Invalidate(); }
  void SetAttribute(const std::string& name, const std::string& value) override;
  bool Activate() override;

 protected:
  void PaintStatusImage(QPainter& painter) override;
  ARGB StateBkColor() const override;
  ARGB StateTextColor() const override;

  bool selected_ = false;
  std::string group_, selected_image_, selected_hot_image_;
  ARGB selected_bk_color_ = 0, selected_text_color_ = 0;
};

// A tick box: an option without a group, drawn with a box beside its text unless
// the skin gives images.
class CCheckBoxUI : public COptionUI {
 public:
  std::string GetClass() const override { return "CheckBoxUI"; }
  bool GetCheck() const { return IsSelected(); }
  void SetCheck(bool check, bool send_notify = false) { Selected(check, send_notify); }
  void SetAttribute(const std::string& name, const std::string& value) override;

 protected:
  void PaintStatusImage(QPainter& painter) override;
  void PaintText(QPainter& painter) override;
  ARGB check_color_ = 0xFF7DC8FA;
  bool draw_box_ = true;
};

// A bar showing a value between a minimum and a maximum.
class CProgressUI : public CLabelUI {
 public:
  std::string GetClass() const override { return "ProgressUI"; }
  int GetValue() const { return value_; }
  virtual void SetValue(int value);
  int GetMinValue() const { return min_; }
  int GetMaxValue() const { return max_; }
  void SetMinValue(int value);
  void SetMaxValue(int value);
  bool IsHorizontal() const { return horizontal_; }
  void SetAttribute(const std::string& name, const std::string& value) override;

 protected:
  void PaintStatusImage(QPainter& painter) override;
  double Fraction() const;
  int value_ = 0, min_ = 0, max_ = 100;
  bool horizontal_ = true;
  ARGB fore_color_ = 0xFF7DC8FA;
};

// A progress bar the user drags. While the thumb moves it sends
// "movevaluechanged"; when the button is released, "valuechanged". The wheel and
// the arrow keys move it by the change step and send "valuechanged".
class CSliderUI : public CProgressUI {
 public:
  std::string GetClass() const override { return "SliderUI"; }
  int GetChangeStep() const { return step_; }
  void SetChangeStep(int step) { step_ = step > 0 ? step : 1; }
  bool IsFocusable() const override { return true; }
  bool IsDragging() const { return dragging_; }
  void SetAttribute(const std::string& name, const std::string& value) override;
  void DoEvent(TEventUI& event) override;
  UiRect ThumbRect() const;
  // The value at a window position along the slider's axis.
  int ValueAt(int x, int y) const;

 protected:
  void PaintStatusImage(QPainter& painter) override;
  int step_ = 1;
  SIZE thumb_{12, 12};
  std::string thumb_image_, thumb_hot_image_, thumb_pushed_image_;
  ARGB thumb_color_ = 0xFFE6E8EB;
  bool dragging_ = false, thumb_hot_ = false;
};

}  // namespace velmora::ui
