// The main window and its serial ports on real pseudo-terminals: the probe at
// start-up, ports that come and go while it runs, and the settings dialog's
// port switch. Dialogs are answered by the scripted service.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <thread>
#include <fstream>

#include "app/main_window.h"
#include "link/frame.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/scenario.h"
#include "pty_pair.h"
#include "project_skin.h"
#include "ui_fixture.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using namespace ui;
using ui::testing::Open;
using ui::testing::RunUntil;
using velmora::testing::PtyPair;

class MainWindowPorts : public ::testing::Test {
 protected:
  void SetUp() override {
    velmora::testing::UseProjectSkin();
    if (HasFatalFailure()) return;
    CPaintManagerUI::SetDialogService(&dialogs_);
    std::string pattern = (fs::temp_directory_path() / "velmora-ports-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    ASSERT_TRUE(first_.ok() && second_.ok());
  }
  void TearDown() override {
    CPaintManagerUI::SetDialogService(nullptr);
    fs::remove_all(dir_);
  }

  // English texts, Setting.ini in the scratch folder, only the ports given.
  MainWindow::Options OptionsFor(std::vector<std::string> ports) {
    { std::ofstream(dir_ / "Setting.ini") << "[Option]\nLanguage=1\n"; }
    MainWindow::Options options;
    options.ports = std::move(ports);
    options.settings_folder = dir_;
    return options;
  }
  static std::string Title(MainWindow& window) {
    return window.GetPaintManager().FindControl("label_window_name")->GetText();
  }
  std::vector<std::string> Questions() const {
    std::vector<std::string> texts;
    for (const auto& m : dialogs_.messages()) texts.push_back(m.caption + ": " + m.text);
    return texts;
  }

  ScriptedDialogService dialogs_;
  fs::path dir_;
  PtyPair first_, second_;
};

TEST_F(MainWindowPorts, StartUpOpensTheFirstPortGivenAndShowsItInTheTitle) {
  const std::string missing = (dir_ / "no-such-port").string();
  MainWindow window(OptionsFor({missing, first_.slave_path(), second_.slave_path()}), nullptr);
  ASSERT_TRUE(Open(window, 1280, 800)) << window.GetLayoutError();
  EXPECT_TRUE(window.link_engine().IsOpen());
  EXPECT_EQ(window.OpenPortName(), first_.slave_path());
  EXPECT_EQ(Title(window), "Velmora [" + first_.slave_path() + "]");
  EXPECT_EQ(window.port_names(), (std::set<std::string>{first_.slave_path(), second_.slave_path()}));
  EXPECT_EQ(window.settings().language, 1);
  EXPECT_EQ(window.settings().config_energy_full, 0x40000000u);  // read from the layout
  EXPECT_TRUE(window.IsTimerArmed(MainWindow::kMonitorRefreshTimer));
  EXPECT_TRUE(window.IsTimerArmed(MainWindow::kPortWatchTimer));
  EXPECT_TRUE(dialogs_.messages().empty());
}

TEST_F(MainWindowPorts, NoPortAtAllLeavesThePlainTitleAndTheScanSaysSo) {
  MainWindow window(OptionsFor({(dir_ / "no-such-port").string()}), nullptr);
  ASSERT_TRUE(Open(window, 1280, 800));
  EXPECT_FALSE(window.link_engine().IsOpen());
  EXPECT_EQ(Title(window), "Velmora");
  window.StartScan();
  EXPECT_EQ(Questions(), (std::vector<std::string>{"Warning: None uart device"}));
}

TEST_F(MainWindowPorts, AnArrivingPortIsOfferedAndARemovedOneLetGo) {
  // The second port is watched under a name that does not exist yet.
  const fs::path plugged = dir_ / "adapter";
  MainWindow window(OptionsFor({first_.slave_path(), plugged.string()}), nullptr);
  ASSERT_TRUE(Open(window, 1280, 800));
  ASSERT_EQ(window.OpenPortName(), first_.slave_path());

  // Declined: the port joins the set, the open port stays.
  dialogs_.AnswerNextMessage(IDCANCEL);
  fs::create_symlink(second_.slave_path(), plugged);
  ASSERT_TRUE(RunUntil([&] { return window.port_names().count(plugged.string()) == 1; }));
  EXPECT_EQ(Questions(), (std::vector<std::string>{"Question: Use " + plugged.string() + " ?"}));
  EXPECT_EQ(window.OpenPortName(), first_.slave_path());

  // Unplugged and plugged again, accepted: the console switches to it.
  fs::remove(plugged);
  ASSERT_TRUE(RunUntil([&] { return window.port_names().count(plugged.string()) == 0; }));
  EXPECT_EQ(window.OpenPortName(), first_.slave_path());  // not the one in use
  dialogs_.AnswerNextMessage(IDOK);
  fs::create_symlink(second_.slave_path(), plugged);
  ASSERT_TRUE(RunUntil([&] { return window.OpenPortName() == plugged.string(); }));
  EXPECT_EQ(Title(window), "Velmora [" + plugged.string() + "]");
  EXPECT_EQ(dialogs_.messages().size(), 2u);

  // The port in use goes away: closed, suffix cut, no question.
  fs::remove(plugged);
  ASSERT_TRUE(RunUntil([&] { return !window.link_engine().IsOpen(); }));
  EXPECT_EQ(Title(window), "Velmora");
  EXPECT_EQ(window.port_names(), (std::set<std::string>{first_.slave_path()}));
  EXPECT_EQ(dialogs_.messages().size(), 2u);
}

TEST_F(MainWindowPorts, AnAdapterThatVanishesUnderTheEngineTakesTheRemovalPath) {
  MainWindow window(OptionsFor({first_.slave_path()}), nullptr);
  ASSERT_TRUE(Open(window, 1280, 800));
  ASSERT_TRUE(window.link_engine().IsOpen());
  // The line hangs up (the device node may linger): the engine's reader sees it.
  first_.CloseMaster();
  ASSERT_TRUE(RunUntil([&] { return Title(window) == "Velmora"; }));
  EXPECT_FALSE(window.link_engine().IsOpen());
  EXPECT_TRUE(window.port_names().empty());
  EXPECT_TRUE(dialogs_.messages().empty());
}

TEST_F(MainWindowPorts, TheSettingsDialogSwitchesThePortAfterTheQueueDrainsThenOffersARescan) {
  MainWindow window(OptionsFor({first_.slave_path(), second_.slave_path()}), nullptr);
  ASSERT_TRUE(Open(window, 1280, 800));
  ASSERT_EQ(window.OpenPortName(), first_.slave_path());

  ScenarioRunner runner(dialogs_);
  std::string error;
  ASSERT_TRUE(runner.LoadText("click button_set\n"
                              "expect-text title_label \"Setting\"\n"
                              "expect-text combo_uart \"" + first_.slave_path() + "\"\n"
                              "expect-text edit_scan_time \"5000\"\n"
                              "type edit_scan_time \"0\" return\n"       // ignored
                              "expect-text edit_scan_time \"5000\"\n"
                              "type edit_scan_time \"8000\" return\n"
                              "pick combo_uart \"" + second_.slave_path() + "\"\n"
                              "answer message cancel\n"
                              "click button_ok\n"
                              "wait-text label_window_name \"Velmora [" + second_.slave_path() + "]\"\n"
                              "expect-message \"Rescan ?\"\n",
                              "settings.vms", error))
      << error;
  int status = -1;
  runner.SetFinishedCallback([&](int s) { status = s; });
  // Requests still waiting on the old port when OK is pressed go out there first.
  // (ReadStatus to devices 1..3: the engine keeps only one of identical frames.)
  constexpr std::size_t kFrameSize = 7;
  for (std::uint8_t address = 1; address <= 3; ++address) {
    Bytes request = {0xA5, 0x07, 0xF7, address, 0xD0, 0x00, 0x00};
    request[6] = FrameChecksum(request);
    window.link_engine().Enqueue(request);
  }
  std::vector<std::uint8_t> on_first;  // read as it arrives: closing a pty's slave drops unread bytes
  std::thread reader([&] { on_first = first_.ReadMaster(6 * kFrameSize); });
  runner.Start();
  const bool finished = RunUntil([&] { return runner.IsFinished(); }, 15000);
  reader.join();
  ASSERT_TRUE(finished);
  ASSERT_EQ(status, 0) << runner.Failure();
  EXPECT_EQ(window.scan_time_ms(), 8000);
  EXPECT_EQ(window.OpenPortName(), second_.slave_path());
  EXPECT_TRUE(window.link_engine().IsSendQueueEmpty());
  // Every request reached the first port (each tried twice), none the second.
  EXPECT_EQ(on_first.size(), 6 * kFrameSize);
  EXPECT_TRUE(second_.ReadMaster(1, std::chrono::milliseconds(100)).empty());
}

}  // namespace
}  // namespace velmora
