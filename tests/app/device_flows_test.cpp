// The window's device flows end to end: MainWindow offscreen on a real pty
// against the emulated line (link engine threads included), driven through
// its own controls and timers.
#include "live_line.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/main_window.h"
#include "app/wait_dialog.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/list_controls.h"
#include "protocol/flows.h"
#include "project_skin.h"
#include "ui_fixture.h"

namespace velmora {
namespace {

using namespace ui;
using ui::testing::Open;
using ui::testing::RunUntil;

class WindowOnEmulatedLine : public ::testing::Test {
 protected:
  void SetUp() override {
    velmora::testing::UseProjectSkin();
    if (HasFatalFailure()) return;
    CPaintManagerUI::SetDialogService(&dialogs_);
    line_.Run();
    MainWindow::Options options;
    options.ports = {line_.tty()};
    options.settings_folder = settings_folder_;
    window_ = std::make_unique<MainWindow>(std::move(options), nullptr);
    ASSERT_TRUE(Open(*window_, 1280, 800)) << window_->GetLayoutError();
    ASSERT_TRUE(window_->link_engine().IsOpen());
    // Read from the layout at "windowinit"; English and quicker for the test.
    ProgramSettings& s = window_->settings();
    EXPECT_EQ(s.config_energy_full, 0x40000000u);  // the emulator's full scale
    s.language = kLanguageEnglish;
    s.config_scan_time = 3000;
    s.config_pink_noise_volume = 255;  // 0 dBFS
  }
  void TearDown() override {
    window_.reset();
    CPaintManagerUI::SetDialogService(nullptr);
    std::filesystem::remove_all(settings_folder_);
  }

  CControlUI* Find(const std::string& name) { return window_->GetPaintManager().FindControl(name); }
  bool Online(std::uint32_t address) {
    auto* box = dynamic_cast<CCheckBoxUI*>(Find("checkbox_connect_status_" + std::to_string(address - 1)));
    return box && box->GetCheck();
  }
  double LevelShown(const std::string& label) { return std::atof(Find(label)->GetText().c_str()); }
  // The address the scan gave to the emulator's device named `name`.
  std::uint32_t AddressOf(const std::string& name) {
    for (const DeviceRecord& r : window_->devices())
      if (r.name == name) return r.address;
    return 0;
  }

  std::filesystem::path settings_folder_ = [] {
    char dir[] = "/tmp/velmora-window-flows-XXXXXX";
    return std::filesystem::path(mkdtemp(dir));
  }();
  ScriptedDialogService dialogs_;
  velmora::testing::EmulatedLine line_{
      {velmora::testing::LineDevice("Stage", 1, 2, 2), velmora::testing::LineDevice("Fill", 2, 1, 2)}};
  std::unique_ptr<MainWindow> window_;
};

TEST_F(WindowOnEmulatedLine, ScanSynchroniseAndTheOnlineBoxesFollowThePlug) {
  // The scan runs behind its dialog and leaves one node per device.
  window_->StartScan();
  ASSERT_EQ(window_->devices().size(), 2u);
  EXPECT_EQ(window_->scan_finished(), 1);
  EXPECT_TRUE(dialogs_.messages().empty());
  auto* root = dynamic_cast<CTreeNodeUI*>(Find("treenode_device"));
  ASSERT_EQ(root->GetCountChild(), 2);
  const std::uint32_t fill = AddressOf("Fill");
  ASSERT_NE(fill, 0u);
  EXPECT_EQ(Find("edit_device_name_" + std::to_string(fill - 1))->GetText(), "Fill");
  EXPECT_EQ(Find("label_circle_0")->GetText(), "click to syn");

  // Selecting a device reads it behind the wait dialog; the status label shows
  // the dialog's text meanwhile.
  std::string tips_while_reading;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    const std::string text = Find("label_tips_" + std::to_string(fill - 1))->GetText();
    if (!text.empty()) tips_while_reading = text;
  });
  watch.start(50);
  auto* tree = dynamic_cast<CTreeViewUI*>(Find("treeview_device_list"));
  tree->SelectItem(static_cast<int>(fill), true);  // item 0 is the root node
  watch.stop();
  EXPECT_EQ(tips_while_reading, "Synchronize from device...");
  EXPECT_EQ(Find("label_tips_" + std::to_string(fill - 1))->GetText(), "");
  const DeviceRecord* read = FindDevice(window_->devices(), fill);
  EXPECT_TRUE(read->synchronized);
  EXPECT_EQ(window_->transfer_done(), 1);
  EXPECT_TRUE(dialogs_.messages().empty()) << dialogs_.messages().front().text;
  EXPECT_EQ(window_->CurrentDevice(), read);

  // The meter poll runs again: both boxes come on; unplugging one clears its box
  // at its next poll, plugging it in sets it again.
  ASSERT_TRUE(RunUntil([&] { return Online(1) && Online(2); }, 5000));
  const std::string fill_on_line = "2";  // the emulator numbers devices in line order
  EXPECT_EQ(line_.Control("unplug " + fill_on_line), "ok");
  ASSERT_TRUE(RunUntil([&] { return !Online(fill); }, 5000));
  EXPECT_TRUE(Online(3 - fill));
  EXPECT_EQ(line_.Control("plug " + fill_on_line), "ok");
  ASSERT_TRUE(RunUntil([&] { return Online(fill); }, 5000));

  // Pink noise on the selected input shows on the energy page at about 0 dBv.
  EXPECT_EQ(Find("label_window_energy_title")->GetText(), "Energy");
  EXPECT_LT(LevelShown("label_energy_input_0"), -40.0);
  EXPECT_FALSE(Find("layout_energy_input_1")->IsOwnVisible());  // Fill has one input
  EXPECT_TRUE(Find("layout_energy_output_1")->IsOwnVisible());
  window_->GetPaintManager().SendNotify(Find("button_pink_noise_play"), "click");
  ASSERT_TRUE(RunUntil([&] { return LevelShown("label_energy_input_0") > -3.0; }, 5000))
      << Find("label_energy_input_0")->GetText();
  auto* bar = dynamic_cast<CSliderUI*>(Find("slider_energy_input_0"));
  EXPECT_GT(bar->GetValue(), -30);

  if (const char* folder = std::getenv("VELMORA_SCREENSHOTS")) {
    Find("window_home")->SetVisible(false);
    Find("window_detail")->SetVisible(true);
    Find("window_energy")->SetVisible(true);
    window_->GetPaintManager().LayoutIfNeeded();
    window_->GetHWND()->grab().save(QString(folder) + "/energy_page.png", "PNG");
  }
  window_->GetPaintManager().SendNotify(Find("button_pink_noise_stop"), "click");
  ASSERT_TRUE(RunUntil([&] { return LevelShown("label_energy_input_0") < -40.0; }, 5000));
}

TEST_F(WindowOnEmulatedLine, AFailedReadWarnsAndTheSynchroniseButtonReadsAgain) {
  window_->StartScan();
  ASSERT_EQ(window_->devices().size(), 2u);
  const std::uint32_t stage = AddressOf("Stage");
  EXPECT_EQ(line_.Control("mute-opcode 1 0xD7"), "ok");  // never answers ReadPresetName
  auto* tree = dynamic_cast<CTreeViewUI*>(Find("treeview_device_list"));
  tree->SelectItem(static_cast<int>(stage), true);
  // The message comes once the wait dialog has closed.
  ASSERT_EQ(dialogs_.messages().size(), 1u);
  EXPECT_EQ(dialogs_.messages()[0].text, "Synchronize from device fail");
  EXPECT_EQ(dialogs_.messages()[0].caption, "Warning");
  EXPECT_TRUE(FindDevice(window_->devices(), stage)->synchronized);
  EXPECT_EQ(Find("label_tips_" + std::to_string(stage - 1))->GetText(), "");

  // Selecting it again reads nothing; its synchronise button does, and this time
  // the device answers.
  EXPECT_EQ(line_.Control("clear 1"), "ok");
  tree->SelectItem(0, false);
  tree->SelectItem(static_cast<int>(stage), true);
  EXPECT_TRUE(window_->flows().sequence().failed());  // still the failed read's state
  window_->GetPaintManager().SendNotify(Find("button_circle_" + std::to_string(stage - 1)), "click");
  EXPECT_EQ(window_->transfer_done(), 1);
  EXPECT_FALSE(window_->flows().sequence().failed());
  EXPECT_EQ(dialogs_.messages().size(), 1u);
}

TEST_F(WindowOnEmulatedLine, ARescanAsksFirstAndWithoutAPortSaysSo) {
  window_->StartScan();
  ASSERT_EQ(window_->devices().size(), 2u);
  dialogs_.AnswerNextMessage(IDCANCEL);
  window_->GetPaintManager().SendNotify(Find("button_scan"), "click");
  ASSERT_EQ(dialogs_.messages().size(), 1u);
  EXPECT_EQ(dialogs_.messages()[0].text, "Rescran ?");
  EXPECT_EQ(dialogs_.messages()[0].caption, "Comfirm");
  EXPECT_EQ(window_->devices().size(), 2u);  // Cancel keeps them

  // A device's delete button removes its node and its record; the other device
  // keeps its address and its poll.
  const std::uint32_t stage = AddressOf("Stage"), fill = AddressOf("Fill");
  window_->GetPaintManager().SendNotify(Find("button_delete_" + std::to_string(stage - 1)), "click");
  ASSERT_TRUE(RunUntil([&] { return window_->devices().size() == 1; }));
  EXPECT_EQ(window_->devices()[0].address, fill);
  EXPECT_EQ(Find("treenode_device_" + std::to_string(stage - 1)), nullptr);
  EXPECT_NE(Find("treenode_device_" + std::to_string(fill - 1)), nullptr);
  ASSERT_TRUE(RunUntil([&] { return Online(fill); }, 5000));

  window_->link_engine().Close();
  dialogs_.AnswerNextMessage(IDOK);
  window_->GetPaintManager().SendNotify(Find("button_scan"), "click");
  ASSERT_EQ(dialogs_.messages().size(), 3u);
  EXPECT_EQ(dialogs_.messages()[2].text, "None uart device");
  EXPECT_EQ(dialogs_.messages()[2].caption, "Warning");
  EXPECT_TRUE(window_->devices().empty());
  EXPECT_EQ(dynamic_cast<CTreeNodeUI*>(Find("treenode_device"))->GetCountChild(), 0);
}

}  // namespace
}  // namespace velmora
