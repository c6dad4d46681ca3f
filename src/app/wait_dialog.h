#pragma once
// WaitDialog: the small modal window shown while a long device operation runs. Its
// modal loop keeps the main window's timers going, which is how the operation
// progresses; it closes itself once the operation's done flag is set, and never
// before its minimum time. Escape goes on to the parent window, where it ends a scan.

#include <cstdint>
#include <string>

#include "platform/ui/window.h"

namespace velmora {

class WaitDialog : public ui::WindowImplBase {
 public:
  // `done` is the caller's flag (the scan-finished or transfer-done byte), or
  // nullptr to close after the minimum time whatever happens.
  WaitDialog(int minimum_ms, std::string text, const std::uint8_t* done);

  std::string GetWindowClassName() const override { return "WaitDialog"; }
  std::string GetSkinFile() const override { return "view/WaitDialog.xml"; }

  void Notify(ui::TNotifyUI& msg) override;
  ui::LRESULT HandleMessage(ui::UINT msg, ui::WPARAM wparam, ui::LPARAM lparam) override;
  ui::LRESULT OnChar(ui::UINT msg, ui::WPARAM wparam, ui::LPARAM lparam, bool& handled) override;

  static constexpr std::uint32_t kTickTimer = 1;
  static constexpr int kTickMs = 100;
  static constexpr int kClosedResult = 2;

 private:
  void Tick();

  std::string text_;
  std::int32_t minimum_ms_;
  const std::uint8_t* done_;
  std::int32_t elapsed_ms_ = 0;
  std::int32_t progress_ = 0;
};

}  // namespace velmora
