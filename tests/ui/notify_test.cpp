// Notifications from synthesised mouse, key and wheel input: their types, senders,
// wParam values and order, as the console's handlers read them.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "platform/ui/basic_controls.h"
#include "platform/ui/list_controls.h"
#include "platform/ui/text_controls.h"
#include "ui_fixture.h"

namespace velmora::ui {
namespace {

using testing::Open;
using testing::RecordingWindow;
using testing::RunUntil;
using testing::UseSkin;

const char* kLayout = R"(<Window size="600,400">
  <VerticalLayout name="root">
    <HorizontalLayout height="30">
      <Button name="button_a" text="A" width="80"/>
      <CheckBox name="checkbox_b" text="B" width="80"/>
      <Option name="option_1" group="g" selected="true" width="60"/>
      <Option name="option_2" group="g" width="60"/>
      <Edit name="edit_gain_input_0" width="80"/>
      <Control name="spacer"/>
    </HorizontalLayout>
    <Slider name="slider_gain_input_0" height="30" min="0" max="100" value="0"/>
    <List name="list_channels" height="120" itemheight="24">
      <ListHeader height="24"><ListHeaderItem name="list_header_item_input_0" text="IN A"/></ListHeader>
      <ListLabelElement name="list_item_input_0" text="IN A"/>
      <ListLabelElement name="list_item_input_1" text="IN B"/>
    </List>
    <Combo name="combo_type" height="26"><ListLabelElement text="Peak"/><ListLabelElement text="Shelf"/></Combo>
  </VerticalLayout></Window>)";

class Notifications : public ::testing::Test {
 protected:
  void SetUp() override {
    UseSkin({{"view/Test.xml", kLayout}});
    ASSERT_TRUE(Open(window, 600, 400)) << window.GetLayoutError();
    window.notes.clear();
  }

  CControlUI* Find(const std::string& name) { return window.GetPaintManager().FindControl(name); }
  QWidget* Host() { return window.GetHWND(); }
  QPoint Center(const std::string& name) {
    const UiRect& r = Find(name)->GetPos();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons buttons = Qt::LeftButton) {
    QMouseEvent event(type, QPointF(at), Host()->mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(Host(), &event);
  }
  void Click(const std::string& name) {
    const QPoint at = Center(name);
    Mouse(QEvent::MouseMove, at, Qt::NoButton);
    Mouse(QEvent::MouseButtonPress, at);
    Mouse(QEvent::MouseButtonRelease, at, Qt::NoButton);
  }
  void Key(QWidget* target, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
  }
  void Wheel(QWidget* target, QPoint at, bool up) {
    QWheelEvent event(QPointF(at), target->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, up ? 120 : -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
  }
  // "type:sender" of every notification, to compare sequences at a glance; hover
  // and (unless asked for) focus changes left out.
  std::vector<std::string> Trace(bool with_focus = false) {
    std::vector<std::string> out;
    for (const auto& n : window.notes)
      if (n.sType != "mouseenter" && n.sType != "mouseleave" &&
          (with_focus || (n.sType != "setfocus" && n.sType != "killfocus")))
        out.push_back(n.sType + ":" + (n.pSender ? n.pSender->GetName() : "-"));
    return out;
  }

  RecordingWindow window;
};

TEST_F(Notifications, ButtonsClickAndDoubleClick) {
  Click("button_a");
  EXPECT_EQ(Trace(), (std::vector<std::string>{"click:button_a"}));
  window.notes.clear();
  const QPoint at = Center("button_a");
  Mouse(QEvent::MouseButtonDblClick, at);
  Mouse(QEvent::MouseButtonRelease, at, Qt::NoButton);
  EXPECT_EQ(Trace(), (std::vector<std::string>{"dbclick:button_a", "click:button_a"}));
  // A press that leaves the button before the release is no click.
  window.notes.clear();
  Mouse(QEvent::MouseButtonPress, at);
  Mouse(QEvent::MouseMove, Center("spacer"));
  Mouse(QEvent::MouseButtonRelease, Center("spacer"), Qt::NoButton);
  EXPECT_TRUE(Trace().empty());
}

TEST_F(Notifications, HoverSendsEnterAndLeave) {
  Mouse(QEvent::MouseMove, Center("button_a"), Qt::NoButton);
  Mouse(QEvent::MouseMove, Center("checkbox_b"), Qt::NoButton);
  std::vector<std::string> hover;
  for (const auto& n : window.notes) hover.push_back(n.sType + ":" + n.pSender->GetName());
  EXPECT_EQ(hover, (std::vector<std::string>{"mouseenter:button_a", "mouseleave:button_a",
                                             "mouseenter:checkbox_b"}));
}

TEST_F(Notifications, CheckBoxesToggleAndOptionGroupsStayExclusive) {
  Click("checkbox_b");
  EXPECT_EQ(Trace(), (std::vector<std::string>{"click:checkbox_b", "selectchanged:checkbox_b"}));
  EXPECT_TRUE(dynamic_cast<CCheckBoxUI*>(Find("checkbox_b"))->GetCheck());
  window.notes.clear();
  Click("option_2");
  EXPECT_EQ(Trace(), (std::vector<std::string>{"click:option_2", "selectchanged:option_2",
                                               "selectchanged:option_1"}));
  EXPECT_TRUE(dynamic_cast<COptionUI*>(Find("option_2"))->IsSelected());
  EXPECT_FALSE(dynamic_cast<COptionUI*>(Find("option_1"))->IsSelected());
  // Setting a state from the program is silent.
  window.notes.clear();
  dynamic_cast<CCheckBoxUI*>(Find("checkbox_b"))->SetCheck(false);
  EXPECT_TRUE(Trace().empty());
}

TEST_F(Notifications, ListsSelectItemsAndHeadersReportClicks) {
  Click("list_item_input_1");
  ASSERT_EQ(Trace(), (std::vector<std::string>{"itemselect:list_channels", "itemclick:list_item_input_1"}));
  const TNotifyUI select = window.Of("itemselect").front();
  EXPECT_EQ(select.wParam, 1u);
  EXPECT_EQ(select.lParam, -1);
  EXPECT_EQ(dynamic_cast<CListUI*>(Find("list_channels"))->GetCurSel(), 1);
  window.notes.clear();
  Click("list_header_item_input_0");
  EXPECT_EQ(Trace(), (std::vector<std::string>{"headerclick:list_header_item_input_0"}));
}

TEST_F(Notifications, EditsReportFocusReturnArrowKeysAndTheWheel) {
  auto* edit = dynamic_cast<CEditUI*>(Find("edit_gain_input_0"));
  ASSERT_NE(edit, nullptr);
  Click("edit_gain_input_0");
  ASSERT_EQ(Trace(true), (std::vector<std::string>{"setfocus:edit_gain_input_0"}));
  window.notes.clear();

  QLineEdit* native = edit->NativeEdit();
  for (int key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down}) Key(native, key);
  Key(native, Qt::Key_Return);
  Wheel(native, QPoint(5, 5), true);
  Wheel(native, QPoint(5, 5), false);
  std::vector<std::pair<std::string, WPARAM>> got;
  for (const auto& n : window.notes) got.emplace_back(n.sType, n.wParam);
  const std::vector<std::pair<std::string, WPARAM>> expected = {
      {"direction", 37}, {"direction", 38}, {"direction", 39}, {"direction", 40},
      {"return", 0},     {"scroll", 0},     {"scroll", 1}};
  EXPECT_EQ(got, expected);

  window.notes.clear();
  Click("button_a");
  EXPECT_EQ(Trace(true), (std::vector<std::string>{"killfocus:edit_gain_input_0", "setfocus:button_a",
                                               "click:button_a"}));
}

TEST_F(Notifications, SlidersReportMovesWhileDraggedAndTheValueOnRelease) {
  auto* slider = dynamic_cast<CSliderUI*>(Find("slider_gain_input_0"));
  const UiRect r = slider->GetPos();
  const int y = (r.top + r.bottom) / 2;
  Mouse(QEvent::MouseButtonPress, {r.left + 2, y});
  Mouse(QEvent::MouseMove, {r.left + r.width() / 4, y});
  Mouse(QEvent::MouseMove, {r.left + r.width() / 2, y});
  Mouse(QEvent::MouseButtonRelease, {r.left + r.width() / 2, y}, Qt::NoButton);
  std::vector<std::string> types;
  for (const auto& n : window.notes)
    if (n.sType.find("value") != std::string::npos) types.push_back(n.sType);
  ASSERT_GE(types.size(), 3u);
  EXPECT_EQ(types.back(), "valuechanged");
  EXPECT_EQ(std::count(types.begin(), types.end(), "valuechanged"), 1);
  EXPECT_NEAR(slider->GetValue(), 50, 3);
  // The wheel moves it by its step.
  window.notes.clear();
  const int before = slider->GetValue();
  Wheel(Host(), QPoint(r.left + 5, y), true);
  EXPECT_EQ(slider->GetValue(), before + 1);
  EXPECT_EQ(Trace(), (std::vector<std::string>{"valuechanged:slider_gain_input_0"}));
}

TEST_F(Notifications, WindowSizeAndMonotonicTimeStamps) {
  window.ResizeClient(640, 420);
  ASSERT_TRUE(RunUntil([&] { return !window.Of("windowsize").empty(); }));
  EXPECT_EQ(window.Of("windowsize").front().pSender->GetName(), "root");
  Click("button_a");
  Click("checkbox_b");
  for (std::size_t i = 1; i < window.notes.size(); ++i)
    EXPECT_GE(window.notes[i].dwTimestamp, window.notes[i - 1].dwTimestamp);
  EXPECT_NEAR(double(window.notes.back().dwTimestamp), double(MonotonicMs()), 1000.0);
}

TEST_F(Notifications, ComboSelectionFromTheWheel) {
  auto* combo = dynamic_cast<CComboUI*>(Find("combo_type"));
  combo->SelectItem(0);
  window.notes.clear();
  Wheel(Host(), Center("combo_type"), false);
  EXPECT_EQ(combo->GetText(), "Shelf");
  ASSERT_EQ(window.Of("itemselect").size(), 1u);
  EXPECT_EQ(window.Of("itemselect").front().wParam, 1u);
}

}  // namespace
}  // namespace velmora::ui
