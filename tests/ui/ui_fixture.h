#pragma once
// A window built from layout text, on the offscreen platform, for toolkit tests.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/archive/skin_archive.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/window.h"

namespace velmora::ui::testing {

// An in-memory skin: path -> text.
class MemorySkin : public SkinSource {
 public:
  explicit MemorySkin(std::map<std::string, std::string> files) : files_(std::move(files)) {}
  SkinResult<std::vector<std::uint8_t>> Read(const std::string& path) const override {
    auto found = files_.find(path);
    if (found == files_.end()) return {{}, path + " is not in the test skin"};
    return {std::vector<std::uint8_t>(found->second.begin(), found->second.end()), {}};
  }
  std::string Describe() const override { return "test skin"; }

 private:
  std::map<std::string, std::string> files_;
};

// A window that records what reaches it.
class RecordingWindow : public WindowImplBase {
 public:
  explicit RecordingWindow(std::string layout = "view/Test.xml") : layout_(std::move(layout)) {}
  std::string GetWindowClassName() const override { return "TestWindow"; }
  std::string GetSkinFile() const override { return layout_; }
  void Notify(TNotifyUI& msg) override {
    notes.push_back(msg);
    if (on_notify) on_notify(msg);
  }
  CControlUI* CreateControl(const std::string& tag) override {
    created_tags.push_back(tag);
    return make_custom ? make_custom(tag) : nullptr;
  }
  LRESULT HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) override {
    if (msg == WM_TIMER) timer_ticks.push_back({static_cast<std::uint32_t>(wparam), MonotonicMs()});
    if (msg == WM_CHAR) chars.push_back(static_cast<int>(wparam));
    if (msg >= WM_USER) user_messages.push_back(msg);
    if (on_message) on_message(msg, wparam);
    return WindowImplBase::HandleMessage(msg, wparam, lparam);
  }
  // The notifications of one type, in order.
  std::vector<TNotifyUI> Of(const std::string& type) const {
    std::vector<TNotifyUI> out;
    for (const auto& n : notes)
      if (n.sType == type) out.push_back(n);
    return out;
  }

  std::vector<TNotifyUI> notes;
  std::vector<std::string> created_tags;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> timer_ticks;  // id, time
  std::vector<int> chars;
  std::vector<UINT> user_messages;
  std::function<CControlUI*(const std::string&)> make_custom;
  std::function<void(TNotifyUI&)> on_notify;
  std::function<void(UINT, WPARAM)> on_message;

 private:
  std::string layout_;
};

inline void UseSkin(std::map<std::string, std::string> files) {
  CPaintManagerUI::SetResourceSource(std::make_unique<MemorySkin>(std::move(files)));
}

// Runs the event loop until `done` or the time-out; true if `done` came true.
inline bool RunUntil(const std::function<bool()>& done, int timeout_ms = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeout_ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// Creates and shows a window and waits for its "windowinit".
inline bool Open(WindowImplBase& window, int width = 400, int height = 300) {
  if (!window.Create(nullptr, "test", WS_POPUP, 0, 0, 0, width, height)) return false;
  window.ShowWindow(true, true);
  return RunUntil([&] { return window.IsInitialized(); });
}

}  // namespace velmora::ui::testing
