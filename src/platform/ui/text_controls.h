#pragma once
// Text entry. An edit box is a native line edit laid over the control's rectangle,
// so typing, selection, input methods (Chinese) and the clipboard behave as users
// expect; the control turns its events into notifications: "setfocus", "killfocus",
// "return" on Enter, "direction" (wParam = 37..40) from the arrow keys and "scroll"
// (wParam 0 up, 1 down) from the wheel. A rich edit is a read-mostly text log.

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

#include "platform/ui/basic_controls.h"

class QWidget;

namespace velmora::ui {

class CEditUI : public CLabelUI {
 public:
  CEditUI();
  ~CEditUI() override;
  std::string GetClass() const override { return "EditUI"; }
  std::string GetText() const override;
  void SetText(const std::string& text) override;
  void SetReadOnly(bool read_only);
  bool IsReadOnly() const { return read_only_; }
  void SetMaxChar(int count);
  bool IsFocusable() const override { return true; }
  QLineEdit* NativeEdit() const { return edit_; }

  void SetAttribute(const std::string& name, const std::string& value) override;
  void SetManager(CPaintManagerUI* manager, CContainerUI* parent) override;
  void SetPos(const UiRect& rect) override;
  void SetVisible(bool visible) override;
  void SetInternVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void DoEvent(TEventUI& event) override;
  void DoPaint(QPainter& painter, const UiRect& clip) override;

  // Called by the native edit's event filter.
  void NativeFocusIn();
  void NativeFocusOut(bool window_still_active);
  bool NativeKey(int qt_key);      // true if consumed
  void NativeWheel(bool up);

 private:
  void SyncNative();
  void ApplyStyle();
  QPointer<QLineEdit> edit_;
  QObject* filter_ = nullptr;
  bool read_only_ = false, password_ = false, number_only_ = false;
  int max_char_ = 255;
  ARGB native_bk_ = 0;
};

class CRichEditUI : public CControlUI {
 public:
  CRichEditUI();
  ~CRichEditUI() override;
  std::string GetClass() const override { return "RichEditUI"; }
  std::string GetText() const override;
  void SetText(const std::string& text) override;
  void AppendText(const std::string& text);
  // Scrolls to the last line.
  void EndDown();
  void SetReadOnly(bool read_only);
  QPlainTextEdit* NativeEdit() const { return edit_; }

  void SetAttribute(const std::string& name, const std::string& value) override;
  void SetManager(CPaintManagerUI* manager, CContainerUI* parent) override;
  void SetPos(const UiRect& rect) override;
  void SetVisible(bool visible) override;
  void SetInternVisible(bool visible) override;

 private:
  void SyncNative();
  QPointer<QPlainTextEdit> edit_;
  bool read_only_ = false;
};

// Places a native child widget over a control, clipped to what its containers show.
void PlaceNativeWidget(QWidget* widget, const CControlUI& control);

}  // namespace velmora::ui
