// Building windows from layouts: names, attributes, families, includes, custom tags, errors.
#include <gtest/gtest.h>

#include "platform/ui/basic_controls.h"
#include "platform/ui/builder.h"
#include "platform/ui/containers.h"
#include "platform/ui/list_controls.h"
#include "ui_fixture.h"

namespace velmora::ui {
namespace {

using testing::Open;
using testing::RecordingWindow;
using testing::UseSkin;

class Knob : public CControlUI {
 public:
  std::string GetClass() const override { return "KnobUI"; }
};

const char* kLayout = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="400,300">
  <Font id="0" name="Noto Sans CJK SC" size="12" default="true"/>
  <Font id="2" name="Noto Sans CJK SC" size="14" bold="true"/>
  <Default name="Button" value="height=&quot;28&quot; bkcolor=&quot;#FF2A2D33&quot;"/>
  <VerticalLayout name="root">
    <Label name="title" text="Velmora 控制台" font="2"/>
    <Button name="plain"/>
    <Button name="tall" height="40"/>
    <TreeNode name="treenode_device" labelstyle="name=&quot;label_address&quot; width=&quot;24&quot;"/>
    <HorizontalLayout name="matrix">
      <Repeat var="i" count="8"><Repeat var="j" count="8">
        <Button name="button_in_{i:a}_out_{j+1}" pos="{j*30},{i*20},{j*30+28},{i*20+18}"/>
      </Repeat></Repeat>
    </HorizontalLayout>
    <Include source="view/Strip.xml"/>
    <Knob name="knob_gain"/>
    <knob name="lowercase_knob"/>
  </VerticalLayout>
</Window>)";

const char* kStrip = R"(<Fragment>
  <Repeat var="i" count="8"><Slider name="slider_gain_input_{i}" min="-6400" max="600"/></Repeat>
</Fragment>)";

TEST(LayoutBuilder, BuildsNamedControlsWithTheirAttributes) {
  UseSkin({{"view/Test.xml", kLayout}, {"view/Strip.xml", kStrip}});
  RecordingWindow window;
  window.make_custom = [](const std::string& tag) -> CControlUI* {
    return tag == "Knob" ? new Knob : nullptr;
  };
  ASSERT_TRUE(Open(window)) << window.GetLayoutError();
  CPaintManagerUI& pm = window.GetPaintManager();

  ASSERT_NE(pm.FindControl("title"), nullptr);
  EXPECT_EQ(pm.FindControl("title")->GetText(), "Velmora 控制台");
  EXPECT_EQ(pm.FindControl("title")->GetFont(), 2);
  EXPECT_TRUE(pm.GetFontInfo(2).bold);
  EXPECT_EQ(pm.FindControl("no_such_control"), nullptr);

  // Defaults first, the element's own attributes over them.
  EXPECT_EQ(pm.FindControl("plain")->GetFixedHeight(), 28);
  EXPECT_EQ(pm.FindControl("plain")->GetBkColor(), 0xFF2A2D33u);
  EXPECT_EQ(pm.FindControl("tall")->GetFixedHeight(), 40);

  // Attributes the control does not know are kept, verbatim, as custom attributes.
  const char* style = pm.FindControl("treenode_device")->GetCustomAttribute("labelstyle");
  ASSERT_NE(style, nullptr);
  EXPECT_STREQ(style, R"(name="label_address" width="24")");
  EXPECT_EQ(pm.FindControl("treenode_device")->GetCustomAttribute("missing"), nullptr);
  // A style attribute applied to a new control names it.
  CLabelUI label;
  EXPECT_TRUE(label.ApplyAttributeList(style));
  EXPECT_EQ(label.GetName(), "label_address");
  EXPECT_EQ(label.GetFixedWidth(), 24);
  EXPECT_FALSE(label.ApplyAttributeList("name=\"unclosed"));
}

TEST(LayoutBuilder, FamilyNotationExpandsToTheExpectedNames) {
  UseSkin({{"view/Test.xml", kLayout}, {"view/Strip.xml", kStrip}});
  RecordingWindow window;
  ASSERT_TRUE(Open(window)) << window.GetLayoutError();
  CPaintManagerUI& pm = window.GetPaintManager();

  auto* matrix = dynamic_cast<CContainerUI*>(pm.FindControl("matrix"));
  ASSERT_NE(matrix, nullptr);
  EXPECT_EQ(matrix->GetCount(), 64);
  EXPECT_NE(pm.FindControl("button_in_a_out_1"), nullptr);
  EXPECT_NE(pm.FindControl("button_in_h_out_8"), nullptr);
  EXPECT_EQ(pm.FindControl("button_in_i_out_1"), nullptr);
  EXPECT_EQ(pm.FindControl("button_in_a_out_9"), nullptr);
  // Expressions in other attributes: cell (row c, column 4) sits at x = 4*30, y = 2*20.
  const UiRect& cell = pm.FindControl("button_in_c_out_5")->GetFloatPos();
  EXPECT_EQ(cell.left, 120);
  EXPECT_EQ(cell.top, 40);
  EXPECT_EQ(cell.right, 148);

  // The included family, with its attributes.
  for (int i = 0; i < 8; ++i) {
    auto* slider = dynamic_cast<CSliderUI*>(pm.FindControl("slider_gain_input_" + std::to_string(i)));
    ASSERT_NE(slider, nullptr) << i;
    EXPECT_EQ(slider->GetMinValue(), -6400);
  }
  EXPECT_EQ(pm.FindControl("slider_gain_input_8"), nullptr);
}

TEST(LayoutBuilder, UnknownTagsGoToCreateControlExactlyAsWritten) {
  UseSkin({{"view/Test.xml", kLayout}, {"view/Strip.xml", kStrip}});
  RecordingWindow window;
  window.make_custom = [](const std::string& tag) -> CControlUI* {
    return tag == "Knob" ? new Knob : nullptr;
  };
  ASSERT_TRUE(Open(window)) << window.GetLayoutError();
  EXPECT_EQ(window.created_tags, (std::vector<std::string>{"Knob", "knob"}));
  ASSERT_NE(window.GetPaintManager().FindControl("knob_gain"), nullptr);
  EXPECT_EQ(window.GetPaintManager().FindControl("knob_gain")->GetClass(), "KnobUI");
  // A tag nobody knows is left out; the rest of the layout stands.
  EXPECT_EQ(window.GetPaintManager().FindControl("lowercase_knob"), nullptr);
}

TEST(LayoutBuilder, ExpressionsInFamilyTexts) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"edit_{i}", "edit_3"},   {"in_{i:a}", "in_d"},     {"IN {i:A}", "IN D"},
      {"out_{i+1}", "out_4"},   {"{i*20+4}", "64"},       {"{(i+1)*2}", "8"},
      {"{j-i}", "-1"},          {"plain", "plain"},
  };
  for (const Case& c : cases) {
    std::string out, error;
    ASSERT_TRUE(ExpandFamilyText(c.text, {{"i", 3}, {"j", 2}}, out, error)) << c.text << ": " << error;
    EXPECT_EQ(out, c.expected) << c.text;
  }
  for (const char* bad : {"{k}", "{i+}", "{i", "{30:a}"}) {
    std::string out, error;
    EXPECT_FALSE(ExpandFamilyText(bad, {{"i", 3}}, out, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

TEST(LayoutBuilder, BrokenLayoutsFailWithFileAndLine) {
  struct Case {
    std::map<std::string, std::string> files;
    std::string expected;  // the start of the error
  };
  const std::vector<Case> cases = {
      {{{"view/Test.xml", "<Window>\n  <VerticalLayout>\n    <Label name=\"a\">\n</Window>"}},
       "view/Test.xml:4:"},
      {{{"view/Test.xml", "<Window>\n<VerticalLayout>\n<Label name=\"{i}\"/>\n</VerticalLayout></Window>"}},
       "view/Test.xml:3: unknown variable i"},
      {{{"view/Test.xml", "<Window>\n<VerticalLayout>\n<Include source=\"view/Missing.xml\"/>\n</VerticalLayout></Window>"}},
       "view/Test.xml:3: cannot include view/Missing.xml"},
      {{{"view/Test.xml", "<Window><VerticalLayout><Include source=\"view/Part.xml\"/></VerticalLayout></Window>"},
        {"view/Part.xml", "<Fragment>\n\n<Label name=\"x\"></Fragment>"}},
       "view/Part.xml:3:"},
      {{{"view/Test.xml", "<Window>\n<Label>\n<Label/>\n</Label>\n</Window>"}},
       "view/Test.xml:2: <Label> cannot hold other controls"},
      {{{"view/Test.xml", "<Window size=\"10,10\"/>"}}, "view/Test.xml:1: the layout has no control"},
      {{}, "cannot load the layout view/Test.xml"},
  };
  for (const Case& c : cases) {
    UseSkin(c.files);
    RecordingWindow window;
    EXPECT_EQ(window.Create(nullptr, "test", WS_POPUP, 0), nullptr);
    EXPECT_EQ(window.GetLayoutError().rfind(c.expected, 0), 0u)
        << "expected \"" << c.expected << "\", got \"" << window.GetLayoutError() << "\"";
  }
}

TEST(LayoutBuilder, SelfIncludeIsStoppedNotRecursedForever) {
  UseSkin({{"view/Test.xml", "<Window><VerticalLayout><Include source=\"view/Loop.xml\"/></VerticalLayout></Window>"},
           {"view/Loop.xml", "<Fragment><Include source=\"view/Loop.xml\"/></Fragment>"}});
  RecordingWindow window;
  EXPECT_EQ(window.Create(nullptr, "test", WS_POPUP, 0), nullptr);
  EXPECT_NE(window.GetLayoutError().find("nest too deep"), std::string::npos) << window.GetLayoutError();
}

TEST(LayoutBuilder, LayoutsPlaceFixedAndStretchingChildren) {
  UseSkin({{"view/Test.xml", R"(<Window size="300,200">
    <HorizontalLayout name="row" inset="10,10,10,10" childpadding="5">
      <Control name="fixed" width="50"/>
      <Control name="a"/>
      <Control name="b" padding="5,0,0,20"/>
      <Control name="hidden" width="40" visible="false"/>
    </HorizontalLayout></Window>)"}});
  RecordingWindow window;
  ASSERT_TRUE(Open(window, 300, 200)) << window.GetLayoutError();
  CPaintManagerUI& pm = window.GetPaintManager();
  // 280 wide inside the inset: 50 fixed, two gaps of 5, 5 of padding, 215 shared.
  EXPECT_EQ(pm.FindControl("fixed")->GetPos().left, 10);
  EXPECT_EQ(pm.FindControl("fixed")->GetPos().right, 60);
  EXPECT_EQ(pm.FindControl("a")->GetPos().left, 65);
  EXPECT_EQ(pm.FindControl("a")->GetWidth(), 107);
  EXPECT_EQ(pm.FindControl("b")->GetPos().left, 182);
  EXPECT_EQ(pm.FindControl("b")->GetPos().right, 290);
  EXPECT_EQ(pm.FindControl("b")->GetPos().bottom, 170);
}

}  // namespace
}  // namespace velmora::ui
