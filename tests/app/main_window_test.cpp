// MainWindow as the application object: its start-up and teardown order, its
// frame, and the message table.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/main_window.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/list_controls.h"
#include "platform/ui/text_controls.h"
#include "project_skin.h"
#include "ui_fixture.h"

namespace velmora {
namespace {

using namespace ui;
using ui::testing::Open;
using ui::testing::RunUntil;

// No real port, and Setting.ini where it harms nothing: the tests never probe the
// machine's own serial ports.
MainWindow::Options QuietOptions() {
  MainWindow::Options options;
  options.ports = {"/nonexistent/velmora-test-port"};
  options.settings_folder = std::filesystem::temp_directory_path();
  return options;
}

// Stands in for the serial port the link engine owns: records when it comes and goes.
class FakePort : public Port {
 public:
  explicit FakePort(std::vector<std::string>& log) : log_(log) { log_.push_back("engine up"); }
  ~FakePort() override { log_.push_back("engine down"); }
  OpenResult Open(const std::string&, int) override { return {PortError::kNoSuchPort, 0}; }
  void Close() override {}
  bool IsOpen() const override { return false; }
  ReadResult Read(std::span<std::uint8_t>) override { return {}; }
  std::size_t Write(std::span<const std::uint8_t>) override { return 0; }

 private:
  std::vector<std::string>& log_;
};

TEST(MainWindowLifecycle, TheLinkEngineLivesExactlyAsLongAsTheWindowObject) {
  std::vector<std::string> log;
  {
    MainWindow window({}, [&] { return std::make_unique<FakePort>(log); });
    EXPECT_EQ(log, (std::vector<std::string>{"engine up"}));
    EXPECT_FALSE(window.link_engine().IsOpen());
  }
  EXPECT_EQ(log, (std::vector<std::string>{"engine up", "engine down"}));
}

TEST(MainWindowFrame, TheLayoutHasTheFrameTheConsoleRelieson) {
  velmora::testing::UseProjectSkin();
  MainWindow window(QuietOptions(), nullptr);
  std::vector<std::string> init;
  window.SetWindowInitCallback([&] { init.push_back("windowinit"); });
  ASSERT_TRUE(Open(window, 1280, 800)) << window.GetLayoutError();
  EXPECT_EQ(init.size(), 1u);
  CPaintManagerUI& pm = window.GetPaintManager();
  for (const char* name :
       {"main_window", "label_window_name", "button_minimize", "button_maximize", "button_normal",
        "button_close", "button_file", "button_option", "button_debug", "button_scan", "button_set",
        "device", "checkbox_hide_device_list", "treeview_device_list", "treenode_device",
        "window_home", "window_detail", "slider_gain_input_7", "edit_gain_output_7", "button_home",
        "button_matrix_mix", "button_energy"})
    EXPECT_NE(pm.FindControl(name), nullptr) << name;
  EXPECT_EQ(pm.FindControl("label_window_name")->GetText(), "Velmora");
  EXPECT_TRUE(pm.FindControl("button_maximize")->IsVisible());
  EXPECT_FALSE(pm.FindControl("button_normal")->IsVisible());
  EXPECT_TRUE(window.port_names().empty());  // the port given does not exist
  EXPECT_EQ(window.GetWindowClassName(), "MainWindowClass");
  EXPECT_EQ(window.GetClassStyle(), 11u);

  // The device node's look comes from style attributes of treenode_device.
  CControlUI* root_node = pm.FindControl("treenode_device");
  for (const char* style : {"labelstyle", "editstyle", "labeltipsstyle", "labelcirclestyle",
                            "checkboxstyle", "buttoncirclestyle", "buttondeletestyle", "treenodestyle"})
    EXPECT_NE(root_node->GetCustomAttribute(style), nullptr) << style;
  // ... and a node built from them has the names the device tree looks up.
  auto* node = new CTreeNodeUI;
  auto add = [&](CControlUI* child, const char* style) {
    ASSERT_TRUE(child->ApplyAttributeList(root_node->GetCustomAttribute(style))) << style;
    child->SetName(child->GetName() + "_0");
    node->Add(child);
  };
  add(new CLabelUI, "labelstyle");
  add(new CEditUI, "editstyle");
  add(new CLabelUI, "labeltipsstyle");
  ASSERT_TRUE(node->ApplyAttributeList(root_node->GetCustomAttribute("treenodestyle")));
  node->SetName("treenode_device_0");
  dynamic_cast<CTreeNodeUI*>(root_node)->AddChildNode(node);
  EXPECT_NE(pm.FindControl("edit_device_name_0"), nullptr);
  EXPECT_NE(pm.FindControl("label_tips_0"), nullptr);
  EXPECT_EQ(dynamic_cast<CTreeNodeUI*>(root_node)->GetCountChild(), 1);
}

TEST(MainWindowMessages, EscapeEndsOnlyARunningScan) {
  velmora::testing::UseProjectSkin();
  MainWindow window(QuietOptions(), nullptr);
  ASSERT_TRUE(Open(window, 1280, 800));
  // No scan: Escape is not handled and the timer stays.
  window.SetTimer(MainWindow::kScanStepTimer, 1000);
  window.SendMessage(WM_CHAR, VK_ESCAPE);
  EXPECT_TRUE(window.IsTimerArmed(MainWindow::kScanStepTimer));
  // A scan: Escape stops its step timer and marks it finished.
  window.scan_finished() = 0;
  window.SendMessage(WM_CHAR, 'a');
  EXPECT_EQ(window.scan_finished(), 0);
  window.SendMessage(WM_CHAR, VK_ESCAPE);
  EXPECT_EQ(window.scan_finished(), 1);
  EXPECT_FALSE(window.IsTimerArmed(MainWindow::kScanStepTimer));
}

TEST(MainWindowMessages, TimersAreDispatchedOnTheLowByteOfTheirIdentifier) {
  velmora::testing::UseProjectSkin();
  MainWindow window(QuietOptions(), nullptr);
  std::vector<std::uint32_t> fired;
  window.BindTimerCode(133, [&](std::uint32_t id) {
    fired.push_back(id);
    window.KillTimer(id);
  });
  ASSERT_TRUE(Open(window, 1280, 800));
  const std::uint32_t gain_in_3 = 0x03010085u;  // channel 3, address 1, code 133
  window.SetTimer(gain_in_3, 20);
  window.SetTimer(0x01000086u, 20);  // a code nobody bound: ignored
  ASSERT_TRUE(RunUntil([&] { return !fired.empty(); }));
  EXPECT_EQ(fired.front(), gain_in_3);
  window.KillTimer(0x01000086u);
}

TEST(MainWindowNotify, PerDeviceControlsFallBackToTheirConstant) {
  velmora::testing::UseProjectSkin();
  MainWindow window(QuietOptions(), nullptr);
  std::vector<std::string> reached;
  window.Bind("click", "button_circle", [&](TNotifyUI& m) { reached.push_back("circle " + m.pSender->GetName()); });
  window.Bind("return", "edit_device_name", [&](TNotifyUI& m) { reached.push_back("name " + m.pSender->GetName()); });
  ASSERT_TRUE(Open(window, 1280, 800));
  CButtonUI circle;
  circle.SetName("button_circle_3");
  CEditUI both;
  both.SetName("edit_device_name_button_circle_0");
  CButtonUI stranger;
  stranger.SetName("button_unbound");
  auto send = [&](CControlUI& sender, const char* type) {
    TNotifyUI msg;
    msg.sType = type;
    msg.pSender = &sender;
    window.Notify(msg);
  };
  send(circle, "click");
  send(both, "return");
  send(stranger, "click");
  send(circle, "dbclick");
  EXPECT_EQ(reached, (std::vector<std::string>{"circle button_circle_3",
                                               "name edit_device_name_button_circle_0"}));
}

}  // namespace
}  // namespace velmora
