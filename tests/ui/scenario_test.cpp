// Scenario scripts drive a real window through the event loop: clicks, typing,
// message boxes, checks, screenshots, and clear failures.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "platform/ui/basic_controls.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/scenario.h"
#include "ui_fixture.h"

namespace velmora::ui {
namespace {

using testing::Open;
using testing::RecordingWindow;
using testing::RunUntil;
using testing::UseSkin;

const char* kLayout = R"(<Window size="320,200">
  <VerticalLayout name="root">
    <Button name="button_ask" text="Ask" height="30"/>
    <Edit name="edit_name" height="24"/>
    <Label name="label_answer" height="24"/>
    <CheckBox name="checkbox_flag" text="Flag" height="24"/>
    <Button name="button_hidden" visible="false" height="24"/>
    <Button name="button_open" text="Open" height="24"/>
  </VerticalLayout></Window>)";

// The window under test: "Ask" shows an OK/Cancel box and shows the answer;
// Return in the edit copies its text to the label.
class AskingWindow : public RecordingWindow {
 public:
  void Notify(TNotifyUI& msg) override {
    RecordingWindow::Notify(msg);
    CControlUI* answer = GetPaintManager().FindControl("label_answer");
    if (msg.sType == "click" && msg.pSender->GetName() == "button_ask") {
      const int result = UiMessageBox(GetHWND(), "Rescan ?", "Question", MB_OKCANCEL | MB_ICONQUESTION);
      answer->SetText(result == IDOK ? "ok" : "cancel");
    } else if (msg.sType == "click" && msg.pSender->GetName() == "button_open") {
      FileDialogRequest request;
      request.title = "Load from PC";
      request.filters = {{"Parameter file", "*.ini"}};
      auto path = CPaintManagerUI::Dialogs().FileDialog(GetHWND(), request);
      answer->SetText(path ? *path : "cancelled");
    } else if (msg.sType == "return" && msg.pSender->GetName() == "edit_name") {
      answer->SetText("name=" + msg.pSender->GetText());
    } else if (msg.sType == "killfocus" && msg.pSender->GetName() == "edit_name") {
      answer->SetText("left " + msg.pSender->GetText());
    }
  }
};

class Scenario : public ::testing::Test {
 protected:
  void SetUp() override {
    UseSkin({{"view/Test.xml", kLayout}});
    CPaintManagerUI::SetDialogService(&dialogs);
    ASSERT_TRUE(Open(window, 320, 200)) << window.GetLayoutError();
  }
  void TearDown() override { CPaintManagerUI::SetDialogService(nullptr); }

  // Runs a script to its end; returns its status.
  int Run(const std::string& text) {
    ScenarioRunner runner(dialogs);
    runner.SetLookupGrace(200);
    int status = -1;
    runner.SetFinishedCallback([&](int s) { status = s; });
    std::string error;
    EXPECT_TRUE(runner.LoadText(text, "test.vms", error)) << error;
    runner.Start();
    EXPECT_TRUE(RunUntil([&] { return runner.IsFinished(); }, 10000));
    failure = runner.Failure();
    return status;
  }

  ScriptedDialogService dialogs;
  AskingWindow window;
  std::string failure;
};

TEST_F(Scenario, ClicksTypesAnswersMessageBoxesChecksTextsAndTakesScreenshots) {
  QTemporaryDir dir;
  const std::string shot = dir.filePath("shot.png").toStdString();
  const int status = Run(
      "# a comment, then a blank line\n\n"
      "answer message cancel\n"
      "click button_ask\n"
      "wait-text label_answer \"cancel\" 2000\n"
      "expect-message \"Rescan ?\"\n"
      "click button_ask\n"
      "expect-text label_answer ok\n"
      "type edit_name \"IN A 输入\" return\n"
      "wait-text label_answer \"name=IN A 输入\"\n"
      "type edit_name \"second\" leave\n"
      "wait-text label_answer \"left second\"\n"
      "check checkbox_flag on\n"
      "expect-state checkbox_flag checked\n"
      "check checkbox_flag on\n"
      "expect-state checkbox_flag checked\n"
      "expect-visible button_hidden no\n"
      "answer file \"/tmp/device 1.ini\"\n"
      "click button_open\n"
      "expect-text label_answer \"/tmp/device 1.ini\"\n"
      "answer file cancel\n"
      "click button_open\n"
      "expect-text label_answer cancelled\n"
      "screenshot \"" + shot + "\"\n"
      "quit 3\n"
      "click never_reached\n");
  EXPECT_EQ(status, 3) << failure;
  ASSERT_EQ(dialogs.messages().size(), 2u);
  EXPECT_EQ(dialogs.messages()[0].answer, IDCANCEL);
  EXPECT_EQ(dialogs.messages()[0].caption, "Question");
  EXPECT_EQ(dialogs.messages()[1].answer, IDOK);  // nothing programmed: OK
  EXPECT_EQ(window.Of("selectchanged").size(), 1u);  // the second "check on" did nothing
  ASSERT_EQ(dialogs.files().size(), 2u);
  EXPECT_EQ(dialogs.files()[0].request.title, "Load from PC");
  EXPECT_FALSE(dialogs.files()[1].answer.has_value());
  QImage image(QString::fromStdString(shot));
  EXPECT_EQ(image.width(), 320);
  EXPECT_EQ(image.height(), 200);
}

TEST_F(Scenario, FailuresNameTheLineAndEndWithANonZeroStatus) {
  struct Case {
    std::string script;
    std::string failure;
  };
  const std::vector<Case> cases = {
      {"expect-message \"x\"\n", "test.vms:1: no message box was shown"},
      {"click button_ask\nclick no_such_control\n", "test.vms:2: no control named no_such_control"},
      {"\nexpect-text label_answer \"x\"\n", "test.vms:2: label_answer shows \"\", not \"x\""},
      {"click button_hidden\n", "test.vms:1: button_hidden is not visible"},
      {"type button_ask \"x\" return\n", "test.vms:1: button_ask is not an edit box"},
      {"wait-text label_answer never 100\n", "test.vms:1: label_answer shows \"\", not \"never\", after 100 ms"},
  };
  for (const Case& c : cases) {
    window.GetPaintManager().FindControl("label_answer")->SetText("");
    EXPECT_EQ(Run(c.script), 1) << c.script;
    EXPECT_EQ(failure, c.failure);
  }
}

TEST(ScenarioSyntax, BadLinesAreRefusedBeforeAnythingRuns) {
  ScriptedDialogService dialogs;
  ScenarioRunner runner(dialogs);
  std::string error;
  EXPECT_FALSE(runner.LoadText("click a\nfrobnicate b\n", "s.vms", error));
  EXPECT_EQ(error, "s.vms:2: unknown command frobnicate");
  EXPECT_FALSE(runner.LoadText("type edit \"unclosed\n", "s.vms", error));
  EXPECT_EQ(error, "s.vms:1: unclosed quote");
  EXPECT_FALSE(runner.LoadText("click\n", "s.vms", error));
  EXPECT_EQ(error, "s.vms:1: click takes 1 argument(s)");
}

}  // namespace
}  // namespace velmora::ui
