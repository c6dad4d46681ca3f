#include "app/wait_dialog.h"

#include "platform/ui/basic_controls.h"

namespace velmora {

using namespace ui;

WaitDialog::WaitDialog(int minimum_ms, std::string text, const std::uint8_t* done)
    : text_(std::move(text)), minimum_ms_(minimum_ms), done_(done) {}

void WaitDialog::Notify(TNotifyUI& msg) {
  WindowImplBase::Notify(msg);
  if (msg.sType == "windowinit") {
    SetTimer(kTickTimer, kTickMs);
    if (CControlUI* title = GetPaintManager().FindControl("title_label")) title->SetText(text_);
  }
}

LRESULT WaitDialog::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_CREATE) {
    GetPaintManager().SetForceUseSharedRes(true);  // looks like the main window
  } else if (msg == WM_TIMER && wparam == kTickTimer) {
    Tick();
    return 0;
  }
  return WindowImplBase::HandleMessage(msg, wparam, lparam);
}

void WaitDialog::Tick() {
  if (elapsed_ms_ > minimum_ms_) {
    if (!done_ || *done_ != 0) {
      KillTimer(kTickTimer);
      Close(kClosedResult);
    }
    // While the flag is clear the dialog waits; elapsed stays where it is.
  } else {
    elapsed_ms_ += kTickMs;
  }
  // An endless activity indicator: the bar runs up and starts again.
  if (auto* bar = dynamic_cast<CProgressUI*>(GetPaintManager().FindControl("progress"))) {
    bar->SetValue(progress_);
    ++progress_;
    if (progress_ > bar->GetMaxValue()) progress_ = bar->GetMinValue();
  }
}

LRESULT WaitDialog::OnChar(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled) {
  if (wparam == VK_ESCAPE && IsWindow(GetParentHWND()))
    ui::PostMessage(GetParentHWND(), msg, wparam, lparam);
  handled = false;
  return 0;
}

}  // namespace velmora
