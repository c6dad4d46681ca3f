#pragma once
// Drawing helpers for custom controls. Every function draws through the QPainter
// the paint manager passes to DoPaint, so anti-aliasing, world transforms and the
// high-DPI scale apply as set on it.

#include <QPainter>
#include <QPointF>

#include <string>
#include <vector>

#include "platform/ui/control.h"
#include "platform/ui/ui_types.h"

namespace velmora::ui {

class CPaintManagerUI;

class CRenderEngine {
 public:
  // Fills `rect` with a colour, blending by its alpha.
  static void DrawColor(QPainter& painter, const UiRect& rect, ARGB color);
  // A straight line from the rectangle's top-left to its bottom-right corner.
  static void DrawLine(QPainter& painter, const UiRect& rect, int size, ARGB color,
                       Qt::PenStyle style = Qt::SolidLine);
  static void DrawRect(QPainter& painter, const UiRect& rect, int size, ARGB color);
  // Text in `rect` with DT_* alignment flags and the font of index `font`.
  static void DrawTextA(QPainter& painter, CPaintManagerUI* manager, const UiRect& rect,
                        const std::string& text, ARGB color, int font, UINT style);
  // An image string: a path, or "file='image/x.png' dest='l,t,r,b' source='l,t,r,b'
  // corner='l,t,r,b' fade='255'". `dest` is relative to `rect`; `corner` keeps the
  // borders of the source unscaled. False when the image is not in the skin.
  static bool DrawImageString(QPainter& painter, CPaintManagerUI* manager, const UiRect& rect,
                              const std::string& image);
  // A curve through the points, bent as the Windows graphics library bends its
  // cardinal splines (DrawCurve; its default tension is 0.5).
  static void DrawCurve(QPainter& painter, const std::vector<QPointF>& points,
                        double tension = 0.5);
  // The same curve as a path, for filling or measuring.
  static QPainterPath CurvePath(const std::vector<QPointF>& points, double tension = 0.5);
};

}  // namespace velmora::ui
