// Drawing helpers custom controls rely on.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include "platform/ui/render.h"

namespace velmora::ui {
namespace {

TEST(RenderEngine, DrawColorBlendsByAlpha) {
  QImage image(10, 10, QImage::Format_ARGB32);
  image.fill(QColor(0, 0, 255));
  {
    QPainter painter(&image);
    CRenderEngine::DrawColor(painter, {0, 0, 5, 10}, 0x80FF0000);  // half red
    CRenderEngine::DrawColor(painter, {5, 0, 10, 10}, 0x00FF0000);  // fully transparent
  }
  const QColor mixed = image.pixelColor(2, 2);
  EXPECT_NEAR(mixed.red(), 128, 2);
  EXPECT_NEAR(mixed.blue(), 127, 2);
  EXPECT_EQ(image.pixelColor(7, 7), QColor(0, 0, 255));
}

TEST(RenderEngine, CardinalCurveUsesTheWindowsControlPoints) {
  // Through (0,0), (10,10), (20,0) at tension 0.5: each control point moves 0.15 of
  // the neighbours' chord; the ends use the end point as its own neighbour.
  const QPainterPath path = CRenderEngine::CurvePath({{0, 0}, {10, 10}, {20, 0}});
  ASSERT_EQ(path.elementCount(), 7);  // move, then two cubic segments of three elements
  auto at = [&](int i) { return QPointF(path.elementAt(i).x, path.elementAt(i).y); };
  EXPECT_EQ(at(0), QPointF(0, 0));
  EXPECT_EQ(at(1), QPointF(1.5, 1.5));   // P0 + 0.15 (P1 - P0)
  EXPECT_EQ(at(2), QPointF(7, 10));      // P1 - 0.15 (P2 - P0)
  EXPECT_EQ(at(3), QPointF(10, 10));
  EXPECT_EQ(at(4), QPointF(13, 10));     // P1 + 0.15 (P2 - P0)
  EXPECT_EQ(at(5), QPointF(18.5, 1.5));  // P2 - 0.15 (P2 - P1)
  EXPECT_EQ(at(6), QPointF(20, 0));
  // Tension 0 gives straight segments; one point or none draws nothing that fails.
  const QPainterPath flat = CRenderEngine::CurvePath({{0, 0}, {10, 10}}, 0.0);
  EXPECT_EQ(QPointF(flat.elementAt(1).x, flat.elementAt(1).y), QPointF(0, 0));
  EXPECT_EQ(CRenderEngine::CurvePath({{3, 4}}).elementCount(), 1);
  EXPECT_TRUE(CRenderEngine::CurvePath({}).isEmpty());
}

TEST(RenderEngine, TextAlignmentFlagsPlaceTheText) {
  auto ink_columns = [](UINT style) {
    QImage image(200, 20, QImage::Format_ARGB32);
    image.fill(Qt::black);
    {
      QPainter painter(&image);
      CRenderEngine::DrawTextA(painter, nullptr, {0, 0, 200, 20}, "Gain", 0xFFFFFFFF, 0,
                               style | DT_VCENTER | DT_SINGLELINE);
    }
    int first = -1, last = -1;
    for (int x = 0; x < 200; ++x)
      for (int y = 0; y < 20; ++y)
        if (image.pixelColor(x, y).red() > 128) {
          if (first < 0) first = x;
          last = x;
        }
    return std::pair{first, last};
  };
  const auto left = ink_columns(DT_LEFT), center = ink_columns(DT_CENTER), right = ink_columns(DT_RIGHT);
  ASSERT_GE(left.first, 0);
  EXPECT_LT(left.first, 4);
  EXPECT_GT(right.second, 195);
  EXPECT_NEAR((center.first + center.second) / 2.0, 100, 4);
}

}  // namespace
}  // namespace velmora::ui
