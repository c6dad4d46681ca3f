// The wait dialog's timing, its done flag, Escape, and a layout without a bar.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QKeyEvent>

#include "app/main_window.h"
#include "app/wait_dialog.h"
#include "platform/ui/basic_controls.h"
#include "project_skin.h"
#include "ui_fixture.h"

namespace velmora {
namespace {

using namespace ui;
using ui::testing::Open;
using ui::testing::RecordingWindow;
using ui::testing::RunUntil;

// Counts the dialog's ticks, so that the tests check behaviour in ticks rather
// than in wall-clock time.
class CountingWaitDialog : public WaitDialog {
 public:
  using WaitDialog::WaitDialog;
  LRESULT HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) override {
    if (msg == WM_TIMER && wparam == kTickTimer) ++ticks;
    return WaitDialog::HandleMessage(msg, wparam, lparam);
  }
  int ticks = 0;
};

// Runs a wait dialog as the callers do; returns the result, the ticks it took and
// the time it was open.
struct ModalRun {
  int result = 0;
  int ticks = 0;
  qint64 ms = 0;
};
ModalRun RunWaitDialog(HWND parent, int minimum_ms, const std::uint8_t* done,
                       CountingWaitDialog** seen = nullptr) {
  CountingWaitDialog dialog(minimum_ms, "Synchronize from device...", done);
  if (seen) *seen = &dialog;
  EXPECT_NE(dialog.Create(parent, "Synchronize", UI_WNDSTYLE_DIALOG & ~WS_VISIBLE, WS_EX_WINDOWEDGE),
            nullptr)
      << dialog.GetLayoutError();
  dialog.CenterWindow();
  QElapsedTimer clock;
  clock.start();
  ModalRun run;
  run.result = dialog.ShowModal();
  run.ms = clock.elapsed();
  run.ticks = dialog.ticks;
  return run;
}

TEST(WaitDialog, AnOperationAlreadyDoneClosesAfterAboutThreeTicks) {
  velmora::testing::UseProjectSkin();
  RecordingWindow parent("view/WaitDialog.xml");
  ASSERT_TRUE(Open(parent));
  const std::uint8_t done = 1;
  const ModalRun run = RunWaitDialog(parent.GetHWND(), 100, &done);
  EXPECT_EQ(run.result, 2);
  // Elapsed must first pass 100 (ticks 1 and 2 count 100 and 200); tick 3 closes.
  EXPECT_EQ(run.ticks, 3);
  EXPECT_GE(run.ms, 290);
}

TEST(WaitDialog, WithoutAFlagItClosesAfterTheMinimumTime) {
  velmora::testing::UseProjectSkin();
  RecordingWindow parent("view/WaitDialog.xml");
  ASSERT_TRUE(Open(parent));
  const ModalRun run = RunWaitDialog(parent.GetHWND(), 2000, nullptr);
  EXPECT_EQ(run.result, 2);
  EXPECT_EQ(run.ticks, 22);  // elapsed 2100 > 2000 at the 22nd tick
  EXPECT_GE(run.ms, 2190);
}

TEST(WaitDialog, StaysOpenWhileTheFlagIsClearAndShowsTheTextAndAMovingBar) {
  velmora::testing::UseProjectSkin();
  RecordingWindow parent("view/WaitDialog.xml");
  ASSERT_TRUE(Open(parent));
  std::uint8_t done = 0;
  CountingWaitDialog* dialog = nullptr;
  std::vector<int> bar_values;
  std::string title;
  // The parent's timer is the operation: it finishes after 800 ms.
  const std::uint32_t started = MonotonicMs();
  parent.SetTimer(141, 50);
  parent.on_message = [&](UINT msg, WPARAM) {
    if (msg != WM_TIMER || !dialog || !dialog->IsInitialized()) return;
    auto* bar = dynamic_cast<CProgressUI*>(dialog->GetPaintManager().FindControl("progress"));
    if (bar) bar_values.push_back(bar->GetValue());
    title = dialog->GetPaintManager().FindControl("title_label")->GetText();
    if (MonotonicMs() - started >= 800) done = 1;
  };
  const ModalRun run = RunWaitDialog(parent.GetHWND(), 100, &done, &dialog);
  dialog = nullptr;
  EXPECT_EQ(run.result, 2);
  EXPECT_GE(run.ms, 800);
  EXPECT_EQ(title, "Synchronize from device...");
  ASSERT_FALSE(bar_values.empty());
  EXPECT_GT(bar_values.back(), bar_values.front());
}

TEST(WaitDialog, EscapeEndsAScanThroughTheMainWindow) {
  velmora::testing::UseProjectSkin();
  MainWindow main({}, nullptr);
  ASSERT_TRUE(Open(main, 1280, 800)) << main.GetLayoutError();
  // A scan in progress: its step timer runs and the flag is clear.
  main.scan_finished() = 0;
  main.SetTimer(MainWindow::kScanStepTimer, 200);
  CountingWaitDialog* dialog = nullptr;
  bool pressed = false;
  int ticks_at_key = 0;
  QTimer escape;  // presses Escape in the dialog once it is up
  QObject::connect(&escape, &QTimer::timeout, [&] {
    if (!dialog || !dialog->IsInitialized() || pressed) return;
    pressed = true;
    ticks_at_key = dialog->ticks;
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b");
    QApplication::sendEvent(dialog->GetHWND(), &key);
  });
  escape.start(300);
  const ModalRun run = RunWaitDialog(main.GetHWND(), 100, &main.scan_finished(), &dialog);
  dialog = nullptr;
  EXPECT_TRUE(pressed);
  EXPECT_EQ(run.result, 2);
  // It closes at the first tick after the key once the minimum time has passed.
  EXPECT_LE(run.ticks, std::max(ticks_at_key, 2) + 1);
  EXPECT_EQ(main.scan_finished(), 1);
  EXPECT_FALSE(main.IsTimerArmed(MainWindow::kScanStepTimer));
}

TEST(WaitDialog, EscapeDuringAnotherWaitChangesNothing) {
  velmora::testing::UseProjectSkin();
  MainWindow main({}, nullptr);
  // The scan's own tick kills a stray timer 140; here the timer only has to stay
  // armed, so that Escape is seen to leave it alone.
  main.BindTimerCode(MainWindow::kScanStepTimer, [](std::uint32_t) {});
  ASSERT_TRUE(Open(main, 1280, 800)) << main.GetLayoutError();
  main.SetTimer(MainWindow::kScanStepTimer, 200);  // armed, but no scan is running
  const std::uint8_t done = 0;
  std::uint8_t release = 0;
  CountingWaitDialog* dialog = nullptr;
  QTimer driver;
  int step = 0;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    if (!dialog || !dialog->IsInitialized()) return;
    if (++step == 2) {
      QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b");
      QApplication::sendEvent(dialog->GetHWND(), &key);
    } else if (step == 6) {
      release = 1;  // the operation ends
    }
  });
  driver.start(100);
  (void)done;
  const ModalRun run = RunWaitDialog(main.GetHWND(), 100, &release, &dialog);
  dialog = nullptr;
  EXPECT_EQ(run.result, 2);
  EXPECT_GE(run.ms, 550);  // still open after the key, until the operation ended
  EXPECT_EQ(main.scan_finished(), 1);
  EXPECT_TRUE(main.IsTimerArmed(MainWindow::kScanStepTimer));
}

TEST(WaitDialog, ALayoutWithoutAProgressBarStillWorks) {
  ui::testing::UseSkin({{"view/WaitDialog.xml",
                         "<Window size=\"300,80\"><VerticalLayout><Label name=\"title_label\"/>"
                         "</VerticalLayout></Window>"},
                        {"view/Parent.xml", "<Window><VerticalLayout/></Window>"}});
  RecordingWindow parent("view/Parent.xml");
  ASSERT_TRUE(Open(parent));
  const std::uint8_t done = 1;
  const ModalRun run = RunWaitDialog(parent.GetHWND(), 100, &done);
  EXPECT_EQ(run.result, 2);
  EXPECT_EQ(run.ticks, 3);
}

}  // namespace
}  // namespace velmora
