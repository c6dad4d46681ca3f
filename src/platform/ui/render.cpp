#include "platform/ui/render.h"

#include <QFontMetrics>
#include <QPainterPath>

#include <map>
#include <regex>

#include "platform/ui/paint_manager.h"

namespace velmora::ui {
namespace {

QRect ToQRect(const UiRect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

// "file='x' dest='1,2,3,4'" -> {file: x, dest: 1,2,3,4}; a bare path is the file.
std::map<std::string, std::string> ParseImageString(const std::string& image) {
  std::map<std::string, std::string> parts;
  if (image.find('=') == std::string::npos) {
    parts["file"] = image;
    return parts;
  }
  static const std::regex pair(R"((\w+)\s*=\s*'([^']*)')");
  for (auto it = std::sregex_iterator(image.begin(), image.end(), pair); it != std::sregex_iterator(); ++it)
    parts[(*it)[1]] = (*it)[2];
  return parts;
}

}  // namespace

void CRenderEngine::DrawColor(QPainter& painter, const UiRect& rect, ARGB color) {
  if (rect.empty() || (color >> 24) == 0) return;
  painter.fillRect(ToQRect(rect), ToQColor(color));
}

void CRenderEngine::DrawLine(QPainter& painter, const UiRect& rect, int size, ARGB color,
                             Qt::PenStyle style) {
  painter.save();
  QPen pen(ToQColor(color), size > 0 ? size : 1, style);
  painter.setPen(pen);
  painter.drawLine(QPointF(rect.left, rect.top), QPointF(rect.right, rect.bottom));
  painter.restore();
}

void CRenderEngine::DrawRect(QPainter& painter, const UiRect& rect, int size, ARGB color) {
  painter.save();
  painter.setPen(QPen(ToQColor(color), size > 0 ? size : 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(rect.left + 0.5, rect.top + 0.5, rect.width() - 1, rect.height() - 1));
  painter.restore();
}

void CRenderEngine::DrawTextA(QPainter& painter, CPaintManagerUI* manager, const UiRect& rect,
                              const std::string& text, ARGB color, int font, UINT style) {
  if (text.empty() || rect.empty()) return;
  painter.save();
  QFont qfont = manager ? manager->GetFont(font) : QFont("Noto Sans CJK SC");
  if (!manager) qfont.setPixelSize(12);
  painter.setFont(qfont);
  painter.setPen(ToQColor(color));
  int flags = 0;
  flags |= (style & DT_CENTER) ? Qt::AlignHCenter : (style & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
  flags |= (style & DT_VCENTER) ? Qt::AlignVCenter : (style & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
  if (style & DT_WORDBREAK) flags |= Qt::TextWordWrap;
  QString qtext = QString::fromStdString(text);
  const QRect box = ToQRect(rect);
  if ((style & DT_END_ELLIPSIS) && !(style & DT_WORDBREAK))
    qtext = QFontMetrics(qfont).elidedText(qtext, Qt::ElideRight, box.width());
  painter.drawText(box, flags, qtext);
  painter.restore();
}

bool CRenderEngine::DrawImageString(QPainter& painter, CPaintManagerUI* manager,
                                    const UiRect& rect, const std::string& image) {
  if (!manager || image.empty()) return false;
  auto parts = ParseImageString(image);
  const QPixmap* pixmap = manager->GetImage(parts["file"]);
  if (!pixmap || pixmap->isNull()) return false;

  const double ratio = pixmap->devicePixelRatio();
  QRectF source(0, 0, pixmap->width(), pixmap->height());
  if (parts.count("source")) {
    UiRect s = ParseRect(parts["source"]);
    source = QRectF(s.left * ratio, s.top * ratio, s.width() * ratio, s.height() * ratio);
  }
  QRectF dest(rect.left, rect.top, rect.width(), rect.height());
  if (parts.count("dest")) {
    UiRect d = ParseRect(parts["dest"]);
    dest = QRectF(rect.left + d.left, rect.top + d.top, d.width(), d.height());
  }
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (parts.count("fade")) painter.setOpacity(std::atoi(parts["fade"].c_str()) / 255.0);
  if (parts.count("corner")) {
    // Nine pieces: the corners keep their size, the edges and the middle stretch.
    UiMargins c = ParseMargins(parts["corner"]);
    const double xs[4] = {source.left(), source.left() + c.left * ratio,
                          source.right() - c.right * ratio, source.right()};
    const double ys[4] = {source.top(), source.top() + c.top * ratio,
                          source.bottom() - c.bottom * ratio, source.bottom()};
    const double xd[4] = {dest.left(), dest.left() + c.left, dest.right() - c.right, dest.right()};
    const double yd[4] = {dest.top(), dest.top() + c.top, dest.bottom() - c.bottom, dest.bottom()};
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col < 3; ++col) {
        QRectF s(QPointF(xs[col], ys[row]), QPointF(xs[col + 1], ys[row + 1]));
        QRectF d(QPointF(xd[col], yd[row]), QPointF(xd[col + 1], yd[row + 1]));
        if (s.width() > 0 && s.height() > 0 && d.width() > 0 && d.height() > 0)
          painter.drawPixmap(d, *pixmap, s);
      }
  } else {
    painter.drawPixmap(dest, *pixmap, source);
  }
  painter.restore();
  return true;
}

QPainterPath CRenderEngine::CurvePath(const std::vector<QPointF>& points, double tension) {
  QPainterPath path;
  if (points.empty()) return path;
  path.moveTo(points[0]);
  if (points.size() == 1) return path;
  // A cardinal spline as cubic Béziers. Between P[i] and P[i+1] the control points
  // lie along the chord of the neighbours, P[i+1]-P[i-1] and P[i+2]-P[i]; the ends
  // use the point itself as its missing neighbour. The Windows library scales its
  // tension by 0.3 before use, so the default 0.5 moves control points 0.15 of
  // the neighbours' chord (Catmull-Rom would be 1/6).
  const double k = tension * 0.3;
  const std::size_t n = points.size();
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const QPointF& p0 = points[i == 0 ? 0 : i - 1];
    const QPointF& p1 = points[i];
    const QPointF& p2 = points[i + 1];
    const QPointF& p3 = points[i + 2 < n ? i + 2 : n - 1];
    path.cubicTo(p1 + k * (p2 - p0), p2 - k * (p3 - p1), p2);
  }
  return path;
}

void CRenderEngine::DrawCurve(QPainter& painter, const std::vector<QPointF>& points, double tension) {
  painter.save();
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(CurvePath(points, tension));
  painter.restore();
}

}  // namespace velmora::ui
