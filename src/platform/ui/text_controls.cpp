#include "platform/ui/text_controls.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegion>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

#include "platform/ui/containers.h"
#include "platform/ui/paint_manager.h"

namespace velmora::ui {
namespace {

// Turns the native edit's focus, key and wheel events into the control's
// notifications.
class EditEventFilter : public QObject {
 public:
  EditEventFilter(CEditUI* owner, QObject* parent) : QObject(parent), owner_(owner) {}

  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::FocusIn:
        owner_->NativeFocusIn();
        break;
      case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Switching to another program or opening a popup keeps the edit going.
        owner_->NativeFocusOut(reason == Qt::ActiveWindowFocusReason ||
                               reason == Qt::PopupFocusReason);
        break;
      }
      case QEvent::KeyPress:
        return owner_->NativeKey(static_cast<QKeyEvent*>(event)->key());
      case QEvent::Wheel: {
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (delta != 0) owner_->NativeWheel(delta > 0);
        return true;
      }
      default:
        break;
    }
    return false;
  }

 private:
  CEditUI* owner_;
};

QString Css(ARGB color) {
  return QString("rgba(%1,%2,%3,%4)")
      .arg((color >> 16) & 0xFF)
      .arg((color >> 8) & 0xFF)
      .arg(color & 0xFF)
      .arg(((color >> 24) & 0xFF) / 255.0);
}

UiRect Intersect(const UiRect& a, const UiRect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

}  // namespace

void PlaceNativeWidget(QWidget* widget, const CControlUI& control) {
  if (!widget) return;
  const UiRect& r = control.GetPos();
  UiRect clip = r;
  for (CContainerUI* up = control.GetParent(); up; up = up->GetParent())
    clip = Intersect(clip, up->ClientRect());
  if (!control.IsVisible() || clip.empty() || r.empty()) {
    widget->hide();
    return;
  }
  widget->setGeometry(r.left, r.top, r.width(), r.height());
  if (clip.left != r.left || clip.top != r.top || clip.right != r.right || clip.bottom != r.bottom)
    widget->setMask(QRegion(clip.left - r.left, clip.top - r.top, clip.width(), clip.height()));
  else
    widget->clearMask();
  widget->show();
}

// --- CEditUI -----------------------------------------------------------------------

CEditUI::CEditUI() {
  text_padding_ = {6, 0, 6, 0};
  native_bk_ = 0xFF1B1D21;
}

CEditUI::~CEditUI() {
  // The native edit may be in the middle of delivering the event that removed this
  // control (a "return" whose handler rebuilds a list): unhook it, delete it later.
  if (edit_) {
    edit_->removeEventFilter(filter_);
    edit_->hide();
    edit_->deleteLater();
  }
}

std::string CEditUI::GetText() const {
  return edit_ ? edit_->text().toStdString() : text_;
}

void CEditUI::SetText(const std::string& text) {
  text_ = text;
  if (edit_ && edit_->text().toStdString() != text) edit_->setText(QString::fromStdString(text));
}

void CEditUI::SetReadOnly(bool read_only) {
  read_only_ = read_only;
  if (edit_) edit_->setReadOnly(read_only);
}

void CEditUI::SetMaxChar(int count) {
  max_char_ = count;
  if (edit_) edit_->setMaxLength(count);
}

void CEditUI::SetAttribute(const std::string& name, const std::string& value) {
  if (name == "readonly") SetReadOnly(ParseBool(value));
  else if (name == "password") password_ = ParseBool(value);
  else if (name == "numberonly") number_only_ = ParseBool(value);
  else if (name == "maxchar") SetMaxChar(std::atoi(value.c_str()));
  else if (name == "nativebkcolor") native_bk_ = ParseColor(value);
  else {
    CLabelUI::SetAttribute(name, value);
    if (name == "bkcolor") native_bk_ = bk_color_;
  }
  ApplyStyle();
}

void CEditUI::SetManager(CPaintManagerUI* manager, CContainerUI* parent) {
  CLabelUI::SetManager(manager, parent);
  if (!manager || !manager->GetPaintWindow()) return;
  if (edit_ && edit_->parentWidget() == manager->GetPaintWindow()) return;
  if (edit_) {
    edit_->removeEventFilter(filter_);
    edit_->deleteLater();
  }
  edit_ = new QLineEdit(manager->GetPaintWindow());
  edit_->setObjectName(QString::fromStdString(name_));
  edit_->setFrame(false);
  edit_->setText(QString::fromStdString(text_));
  edit_->setReadOnly(read_only_);
  edit_->setMaxLength(max_char_);
  if (password_) edit_->setEchoMode(QLineEdit::Password);
  filter_ = new EditEventFilter(this, edit_);
  edit_->installEventFilter(filter_);
  ApplyStyle();
  SyncNative();
}

void CEditUI::ApplyStyle() {
  if (!edit_) return;
  Qt::Alignment align = Qt::AlignVCenter;
  if (text_style_ & DT_CENTER) align |= Qt::AlignHCenter;
  else if (text_style_ & DT_RIGHT) align |= Qt::AlignRight;
  else align |= Qt::AlignLeft;
  edit_->setAlignment(align);
  if (manager_) edit_->setFont(manager_->GetFont(font_));
  const ARGB text = text_color_ ? text_color_ : 0xFFE6E8EB;
  edit_->setStyleSheet(QString("QLineEdit{background:%1;color:%2;border:1px solid %3;"
                               "border-radius:3px;padding:0 %4px 0 %5px;"
                               "selection-background-color:#2F4A5E;}"
                               "QLineEdit:focus{border-color:#7DC8FA;}"
                               "QLineEdit:disabled{color:#5A6068;}")
                           .arg(Css(native_bk_), Css(text),
                                Css(border_color_ ? border_color_ : 0xFF363A42))
                           .arg(text_padding_.right)
                           .arg(text_padding_.left));
}

void CEditUI::SyncNative() {
  if (!edit_) return;
  edit_->setEnabled(enabled_);
  PlaceNativeWidget(edit_, *this);
}

void CEditUI::SetPos(const UiRect& rect) {
  CLabelUI::SetPos(rect);
  SyncNative();
}

void CEditUI::SetVisible(bool visible) {
  CLabelUI::SetVisible(visible);
  SyncNative();
}

void CEditUI::SetInternVisible(bool visible) {
  CLabelUI::SetInternVisible(visible);
  SyncNative();
}

void CEditUI::SetEnabled(bool enabled) {
  CLabelUI::SetEnabled(enabled);
  SyncNative();
}

void CEditUI::DoEvent(TEventUI& event) {
  if (event.type == UiEvent::kSetFocus && edit_ && !edit_->hasFocus()) {
    edit_->setFocus(Qt::OtherFocusReason);
  } else if (event.type == UiEvent::kKillFocus && edit_ && edit_->hasFocus() && manager_) {
    manager_->GetPaintWindow()->setFocus(Qt::OtherFocusReason);
  }
  CLabelUI::DoEvent(event);
}

void CEditUI::DoPaint(QPainter&, const UiRect&) {
  // The native edit draws itself.
}

void CEditUI::NativeFocusIn() {
  if (manager_ && manager_->GetFocus() != this) manager_->SetFocus(this);
}

void CEditUI::NativeFocusOut(bool window_still_active) {
  if (window_still_active) return;
  if (manager_ && manager_->GetFocus() == this) manager_->SetFocus(nullptr);
}

bool CEditUI::NativeKey(int qt_key) {
  switch (qt_key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Notify("return");
      return true;
    case Qt::Key_Left:
      Notify("direction", VK_LEFT);
      return false;  // the caret still moves
    case Qt::Key_Right:
      Notify("direction", VK_RIGHT);
      return false;
    case Qt::Key_Up:
      Notify("direction", VK_UP);
      return true;
    case Qt::Key_Down:
      Notify("direction", VK_DOWN);
      return true;
    default:
      return false;
  }
}

void CEditUI::NativeWheel(bool up) { Notify("scroll", up ? 0 : 1); }

// --- CRichEditUI -------------------------------------------------------------------

CRichEditUI::CRichEditUI() = default;

CRichEditUI::~CRichEditUI() {
  if (edit_) {
    edit_->hide();
    edit_->deleteLater();
  }
}

std::string CRichEditUI::GetText() const {
  return edit_ ? edit_->toPlainText().toStdString() : text_;
}

void CRichEditUI::SetText(const std::string& text) {
  text_ = text;
  if (edit_) edit_->setPlainText(QString::fromStdString(text));
}

void CRichEditUI::AppendText(const std::string& text) {
  if (!edit_) {
    text_ += text;
    return;
  }
  // Insert at the end without adding a paragraph break the way appendPlainText does.
  QTextCursor cursor(edit_->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(QString::fromStdString(text));
}

void CRichEditUI::EndDown() {
  if (edit_) edit_->verticalScrollBar()->setValue(edit_->verticalScrollBar()->maximum());
}

void CRichEditUI::SetReadOnly(bool read_only) {
  read_only_ = read_only;
  if (edit_) edit_->setReadOnly(read_only);
}

void CRichEditUI::SetAttribute(const std::string& name, const std::string& value) {
  if (name == "readonly") SetReadOnly(ParseBool(value));
  else if (name == "vscrollbar" || name == "autovscroll" || name == "multiline" || name == "wantreturn") {
  } else CControlUI::SetAttribute(name, value);
}

void CRichEditUI::SetManager(CPaintManagerUI* manager, CContainerUI* parent) {
  CControlUI::SetManager(manager, parent);
  if (!manager || !manager->GetPaintWindow()) return;
  if (edit_ && edit_->parentWidget() == manager->GetPaintWindow()) return;
  if (edit_) edit_->deleteLater();
  edit_ = new QPlainTextEdit(manager->GetPaintWindow());
  edit_->setObjectName(QString::fromStdString(name_));
  edit_->setPlainText(QString::fromStdString(text_));
  edit_->setReadOnly(read_only_);
  edit_->setFont(manager->GetFont(font_));
  edit_->setStyleSheet(QString("QPlainTextEdit{background:%1;color:%2;border:1px solid #363A42;"
                               "border-radius:3px;selection-background-color:#2F4A5E;}")
                           .arg(Css(bk_color_ ? bk_color_ : 0xFF1B1D21),
                                Css(text_color_ ? text_color_ : 0xFFE6E8EB)));
  SyncNative();
}

void CRichEditUI::SyncNative() { PlaceNativeWidget(edit_, *this); }

void CRichEditUI::SetPos(const UiRect& rect) {
  CControlUI::SetPos(rect);
  SyncNative();
}

void CRichEditUI::SetVisible(bool visible) {
  CControlUI::SetVisible(visible);
  SyncNative();
}

void CRichEditUI::SetInternVisible(bool visible) {
  CControlUI::SetInternVisible(visible);
  SyncNative();
}

}  // namespace velmora::ui
