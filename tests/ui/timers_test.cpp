// Window timers and modal loops: the machinery the deferred writes, the scan and the
// wait dialog run on.
#include <gtest/gtest.h>

#include "platform/ui/window.h"
#include "ui_fixture.h"

namespace velmora::ui {
namespace {

using testing::Open;
using testing::RecordingWindow;
using testing::RunUntil;
using testing::UseSkin;

const char* kLayout = R"(<Window size="200,100"><VerticalLayout name="root"/></Window>)";

std::size_t CountTicks(const RecordingWindow& window, std::uint32_t id) {
  std::size_t n = 0;
  for (const auto& [tick_id, at] : window.timer_ticks) n += tick_id == id;
  return n;
}

TEST(WindowTimers, IdentifiersArriveIntactAndRearmingRestartsTheDelay) {
  UseSkin({{"view/Test.xml", kLayout}});
  RecordingWindow window;
  ASSERT_TRUE(Open(window));
  // A deferred-write identifier uses all 32 bits: side in bit 31, address, code.
  const std::uint32_t id = 0x80000000u | (3u << 24) | (2u << 16) | 133u;
  window.on_message = [&](UINT msg, WPARAM wparam) {
    if (msg == WM_TIMER && wparam == id) window.KillTimer(id);  // one shot, as the writes do
  };
  const std::uint32_t armed_at = MonotonicMs();
  window.SetTimer(id, 100);
  // Re-arm four times within 60 ms each: the single tick comes 100 ms after the last.
  std::uint32_t last_arm = armed_at;
  for (int i = 0; i < 4; ++i) {
    RunUntil([&] { return MonotonicMs() - last_arm >= 60; });
    ASSERT_EQ(CountTicks(window, id), 0u) << "fired before the delay after re-arming";
    window.SetTimer(id, 100);
    last_arm = MonotonicMs();
  }
  ASSERT_TRUE(RunUntil([&] { return CountTicks(window, id) == 1; }));
  const std::uint32_t fired = window.timer_ticks.back().second;
  EXPECT_GE(fired - last_arm, 95u);
  // Killed in its own handler: no second tick.
  RunUntil([] { return false; }, 250);
  EXPECT_EQ(CountTicks(window, id), 1u);
  EXPECT_FALSE(window.IsTimerArmed(id));
}

TEST(WindowTimers, KillingStopsOnlyThatTimer) {
  UseSkin({{"view/Test.xml", kLayout}});
  RecordingWindow window;
  ASSERT_TRUE(Open(window));
  window.SetTimer(142, 20);
  window.SetTimer(143, 20);
  ASSERT_TRUE(RunUntil([&] { return CountTicks(window, 142) >= 2 && CountTicks(window, 143) >= 2; }));
  window.KillTimer(142);
  window.KillTimer(7);  // never armed: harmless
  const std::size_t stopped_at = CountTicks(window, 142);
  const std::size_t other = CountTicks(window, 143);
  ASSERT_TRUE(RunUntil([&] { return CountTicks(window, 143) >= other + 3; }));
  EXPECT_EQ(CountTicks(window, 142), stopped_at);
  EXPECT_TRUE(window.IsTimerArmed(143));
}

TEST(ModalLoop, ParentTimersAndPostedMessagesKeepRunningAndShowModalReturnsTheCloseValue) {
  UseSkin({{"view/Test.xml", kLayout}});
  RecordingWindow parent;
  ASSERT_TRUE(Open(parent));
  parent.SetTimer(141, 20);

  RecordingWindow dialog;
  ASSERT_NE(dialog.Create(parent.GetHWND(), "dialog", UI_WNDSTYLE_DIALOG & ~WS_VISIBLE, WS_EX_WINDOWEDGE),
            nullptr);
  dialog.CenterWindow();
  // While the dialog runs, the parent's timer ticks and its posted messages arrive;
  // the fifth tick closes the dialog.
  std::size_t ticks_in_modal = 0;
  parent.on_message = [&](UINT msg, WPARAM wparam) {
    if (msg == WM_TIMER && wparam == 141 && dialog.IsModal() && ++ticks_in_modal == 5) {
      parent.PostMessage(WM_USER + 3);
      dialog.Close(7);
    }
  };
  EXPECT_EQ(dialog.ShowModal(), 7);
  EXPECT_GE(ticks_in_modal, 5u);
  EXPECT_EQ(dialog.GetHWND(), nullptr);
  ASSERT_TRUE(RunUntil([&] { return !parent.user_messages.empty(); }));
  EXPECT_EQ(parent.user_messages.front(), WM_USER + 3);
}

TEST(PostedMessages, ArriveInOrderAndNotAtAllOnceTheWindowIsGone) {
  UseSkin({{"view/Test.xml", kLayout}});
  auto window = std::make_unique<RecordingWindow>();
  ASSERT_TRUE(Open(*window));
  HWND hwnd = window->GetHWND();
  for (UINT n = 1; n <= 5; ++n) EXPECT_TRUE(ui::PostMessage(hwnd, WM_USER + n));
  ASSERT_TRUE(RunUntil([&] { return window->user_messages.size() == 5; }));
  EXPECT_EQ(window->user_messages, (std::vector<UINT>{1025, 1026, 1027, 1028, 1029}));

  window->Close(1);
  ASSERT_TRUE(RunUntil([&] { return window->GetHWND() == nullptr; }));
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(ui::PostMessage(hwnd, WM_USER + 1));
}

}  // namespace
}  // namespace velmora::ui
