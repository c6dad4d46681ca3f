// Containers, trees, rich edits and menus: the behaviour the console's pages use.
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>

#include "platform/ui/containers.h"
#include "platform/ui/list_controls.h"
#include "platform/ui/menu.h"
#include "platform/ui/text_controls.h"
#include "ui_fixture.h"

namespace velmora::ui {
namespace {

using testing::Open;
using testing::RecordingWindow;
using testing::RunUntil;
using testing::UseSkin;

const char* kLayout = R"(<Window size="400,300">
  <VerticalLayout name="root">
    <HorizontalLayout name="window_detail" height="120" hscrollbar="true" childpadding="10">
      <Repeat var="i" count="4"><VerticalLayout name="page_{i}" width="150" padding="6,0,0,0"/></Repeat>
    </HorizontalLayout>
    <TreeView name="tree" height="120">
      <TreeNode name="treenode_device"><Label text="root"/></TreeNode>
    </TreeView>
    <RichEdit name="receive_richedit" height="50"/>
  </VerticalLayout></Window>)";

class Controls : public ::testing::Test {
 protected:
  void SetUp() override {
    UseSkin({{"view/Test.xml", kLayout},
             {"menu/File.xml", R"(<Menu width="180">
                <MenuElement name="menu_item_file_save_to_pc" text="Save to PC" height="28"/>
                <MenuSeparator/>
                <MenuElement name="menu_item_file_load_from_pc" text="Load from PC" height="28"/>
              </Menu>)"}});
    ASSERT_TRUE(Open(window, 400, 300)) << window.GetLayoutError();
  }
  CControlUI* Find(const std::string& name) { return window.GetPaintManager().FindControl(name); }
  RecordingWindow window;
};

TEST_F(Controls, AWideRowScrollsSidewaysAndShowsItsScrollBar) {
  auto* detail = dynamic_cast<CContainerUI*>(Find("window_detail"));
  window.GetPaintManager().LayoutIfNeeded();
  ASSERT_NE(detail->GetHorizontalScrollBar(), nullptr);
  EXPECT_TRUE(detail->GetHorizontalScrollBar()->IsVisible());
  // Four pages of 150 with padding 6 and gaps of 10 in a 400 wide view.
  EXPECT_EQ(detail->GetScrollRange().cx, 4 * 156 + 3 * 10 - 400);
  const int page_left = Find("page_1")->GetPos().left;
  detail->SetScrollPos({page_left - Find("page_1")->GetPadding().left, 0});
  EXPECT_EQ(Find("page_1")->GetPos().left, 6);
  // Out of range positions are clamped.
  detail->SetScrollPos({100000, 0});
  EXPECT_EQ(detail->GetScrollPos().cx, detail->GetScrollRange().cx);
  // Hiding pages until everything fits hides the bar.
  for (int i = 1; i < 4; ++i) Find("page_" + std::to_string(i))->SetVisible(false);
  window.GetPaintManager().LayoutIfNeeded();
  EXPECT_FALSE(detail->GetHorizontalScrollBar()->IsVisible());
  EXPECT_EQ(detail->GetScrollPos().cx, 0);
}

TEST_F(Controls, TreeNodesKeepChildrenInOrderAndGoWithThem) {
  auto* tree = dynamic_cast<CTreeViewUI*>(Find("tree"));
  auto* root = dynamic_cast<CTreeNodeUI*>(Find("treenode_device"));
  for (int n = 0; n < 3; ++n) {
    auto* node = new CTreeNodeUI;
    node->SetName("treenode_device_" + std::to_string(n));
    auto* button = new CButtonUI;
    button->SetName("button_delete_" + std::to_string(n));
    node->Add(button);
    root->AddChildNode(node);
  }
  ASSERT_EQ(tree->GetListCount(), 4);
  EXPECT_EQ(tree->GetListItem(3)->AsControl()->GetName(), "treenode_device_2");
  EXPECT_EQ(root->GetChildNode(1)->GetLevel(), 1);
  // The delete button's parent is its node.
  EXPECT_EQ(Find("button_delete_1")->GetParent()->GetName(), "treenode_device_1");

  tree->SelectItem(3);
  EXPECT_TRUE(root->RemoveChildNode(root->GetChildNode(1)));
  EXPECT_EQ(Find("treenode_device_1"), nullptr);
  EXPECT_EQ(Find("button_delete_1"), nullptr);
  EXPECT_EQ(root->GetCountChild(), 2);
  EXPECT_EQ(tree->GetListCount(), 3);
  // The selection follows its node to the new index.
  EXPECT_EQ(tree->GetCurSel(), 2);
  EXPECT_EQ(tree->GetListItem(tree->GetCurSel())->AsControl()->GetName(), "treenode_device_2");
}

TEST_F(Controls, RichEditAppendsWithoutBreaksAndScrollsToTheEnd) {
  auto* log = dynamic_cast<CRichEditUI*>(Find("receive_richedit"));
  log->AppendText("A5 06 F3");
  log->AppendText(" 01\n");
  for (int i = 0; i < 50; ++i) log->AppendText("line " + std::to_string(i) + "\n");
  log->EndDown();
  EXPECT_EQ(log->GetText().rfind("A5 06 F3 01\nline 0\n", 0), 0u);
  auto* bar = log->NativeEdit()->verticalScrollBar();
  EXPECT_EQ(bar->value(), bar->maximum());
  log->SetText("");
  EXPECT_EQ(log->GetText(), "");
}

TEST_F(Controls, MenusSendTheirChoiceToTheOwnerAndClose) {
  auto* menu = new CMenuWnd;
  menu->Init(&window, "menu/File.xml", window.GetHWND()->mapToGlobal(QPoint(10, 10)));
  HWND menu_hwnd = menu->GetHWND();
  ASSERT_TRUE(IsWindow(menu_hwnd));
  ASSERT_TRUE(RunUntil([&] { return menu->IsInitialized(); }));
  CControlUI* item = menu->GetPaintManager().FindControl("menu_item_file_load_from_pc");
  ASSERT_NE(item, nullptr);
  const UiRect& r = item->GetPos();
  const QPointF at((r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0);
  for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent event(type, at, menu_hwnd->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(menu_hwnd, &event);
  }
  ASSERT_EQ(window.Of("itemclick").size(), 1u);
  EXPECT_EQ(window.Of("itemclick").front().pSender->GetName(), "menu_item_file_load_from_pc");
  EXPECT_TRUE(RunUntil([&] { return !IsWindow(menu_hwnd); }));
}

TEST_F(Controls, AMenuWithABrokenLayoutIsDroppedWithoutHarm) {
  auto* menu = new CMenuWnd;
  menu->Init(&window, "menu/Missing.xml", QPoint(0, 0));  // deletes itself
  QApplication::processEvents();
  EXPECT_TRUE(IsWindow(window.GetHWND()));
}

}  // namespace
}  // namespace velmora::ui
