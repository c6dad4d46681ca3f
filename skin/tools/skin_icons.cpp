// velmora-skin-icons FOLDER: draws the console's navigation icons and channel-list
// backgrounds into FOLDER/image, at 1x and 2x ("@2x"), from one description each.
// Every icon is 1.5 px strokes on a 24 px grid, in three states (normal, hot,
// pushed) and two looks: closed (a page not shown) and open ("_selected").
//
// The images are committed under skin/image; run this after changing a drawing:
//   build/skin/velmora-skin-icons skin
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>
#include <map>
#include <string>

namespace {

using Draw = std::function<void(QPainter&)>;

// The drawings, on a 24 x 24 grid.
const std::map<std::string, Draw>& Icons() {
  static const std::map<std::string, Draw> icons = {
      {"home", [](QPainter& p) {
         p.drawPolyline(QPolygonF({{4, 11}, {12, 4}, {20, 11}}));
         p.drawPolyline(QPolygonF({{6.5, 9.5}, {6.5, 19.5}, {17.5, 19.5}, {17.5, 9.5}}));
         p.drawRect(QRectF(10.5, 13.5, 3, 6));
       }},
      {"input", [](QPainter& p) {  // a signal entering the chain
         p.drawLine(QPointF(3, 12), QPointF(14, 12));
         p.drawPolyline(QPolygonF({{10, 8}, {14, 12}, {10, 16}}));
         p.drawPolyline(QPolygonF({{16, 4.5}, {20.5, 4.5}, {20.5, 19.5}, {16, 19.5}}));
       }},
      {"output", [](QPainter& p) {  // a signal leaving the chain
         p.drawPolyline(QPolygonF({{8, 4.5}, {3.5, 4.5}, {3.5, 19.5}, {8, 19.5}}));
         p.drawLine(QPointF(9, 12), QPointF(20, 12));
         p.drawPolyline(QPolygonF({{16, 8}, {20, 12}, {16, 16}}));
       }},
      {"noise_gate", [](QPainter& p) {  // closed below the threshold, open above
         p.drawPolyline(QPolygonF({{3, 18}, {9, 18}, {9, 7}, {21, 7}}));
         p.drawLine(QPointF(9, 20.5), QPointF(9, 21.5));
         p.drawLine(QPointF(3, 12.5), QPointF(6, 12.5));
       }},
      {"input_eq", [](QPainter& p) {
         QPainterPath path(QPointF(3, 14));
         path.cubicTo(QPointF(7, 14), QPointF(7, 6), QPointF(11, 6));
         path.cubicTo(QPointF(15, 6), QPointF(14, 17), QPointF(18, 17));
         path.lineTo(QPointF(21, 17));
         p.drawPath(path);
         p.drawLine(QPointF(3, 20.5), QPointF(21, 20.5));
       }},
      {"output_eq", [](QPainter& p) {
         QPainterPath path(QPointF(3, 18));
         path.cubicTo(QPointF(6, 18), QPointF(6, 10), QPointF(9, 10));
         path.lineTo(QPointF(15, 10));
         path.cubicTo(QPointF(18, 10), QPointF(18, 18), QPointF(21, 18));
         p.drawPath(path);
         p.drawLine(QPointF(3, 4.5), QPointF(21, 4.5));
       }},
      {"input_delay", [](QPainter& p) {
         p.drawEllipse(QPointF(12, 12.5), 8, 8);
         p.drawPolyline(QPolygonF({{12, 8}, {12, 12.5}, {15, 14.5}}));
         p.drawLine(QPointF(10, 2.5), QPointF(14, 2.5));
       }},
      {"output_delay", [](QPainter& p) {
         p.drawEllipse(QPointF(12, 12.5), 8, 8);
         p.drawPolyline(QPolygonF({{12, 8}, {12, 12.5}, {9, 14.5}}));
         p.drawLine(QPointF(10, 2.5), QPointF(14, 2.5));
       }},
      {"matrix_mix", [](QPainter& p) {
         for (int i = 0; i < 3; ++i)
           for (int j = 0; j < 3; ++j) {
             const QRectF cell(4 + j * 6, 4 + i * 6, 4, 4);
             if (i == j) p.fillRect(cell, p.pen().color());
             else p.drawRect(cell);
           }
       }},
      {"comp", [](QPainter& p) {  // a transfer curve bending at the threshold
         p.drawPolyline(QPolygonF({{3.5, 20.5}, {3.5, 3.5}}));
         p.drawPolyline(QPolygonF({{3.5, 20.5}, {20.5, 20.5}}));
         p.drawPolyline(QPolygonF({{5, 19}, {12, 12}, {20, 8.5}}));
       }},
      {"limit", [](QPainter& p) {  // a hard ceiling
         p.drawPolyline(QPolygonF({{3.5, 20.5}, {3.5, 3.5}}));
         p.drawPolyline(QPolygonF({{3.5, 20.5}, {20.5, 20.5}}));
         p.drawPolyline(QPolygonF({{5, 19}, {12, 9}, {20, 9}}));
         p.drawLine(QPointF(12, 6), QPointF(20, 6));
       }},
      {"energy", [](QPainter& p) {  // level meters
         const double heights[] = {8, 14, 11, 16};
         for (int i = 0; i < 4; ++i) p.drawRect(QRectF(4 + i * 4.5, 20 - heights[i], 2.5, heights[i]));
       }},
  };
  return icons;
}

// Colours of the three states, closed and open.
struct Look {
  const char* suffix;
  QColor normal, hot, pushed;
};
const Look kClosed{"", QColor(0x9A, 0xA0, 0xA8), QColor(0xE6, 0xE8, 0xEB), QColor(0x7D, 0xC8, 0xFA)};
const Look kOpen{"_selected", QColor(0x7D, 0xC8, 0xFA), QColor(0xA8, 0xDB, 0xFC), QColor(0x5C, 0xB6, 0xF2)};

bool Save(const QImage& image, const QString& path) {
  if (image.save(path, "PNG")) return true;
  std::fprintf(stderr, "velmora-skin-icons: cannot write %s\n", path.toLocal8Bit().constData());
  return false;
}

bool DrawIcon(const QString& folder, const std::string& stem, const Draw& draw, const std::string& file,
              const QColor& color) {
  for (int scale : {1, 2}) {
    QImage image(24 * scale, 24 * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    QPen pen(color, 1.5);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    draw(painter);
    painter.end();
    const QString name = QString::fromStdString(file) + (scale == 2 ? "@2x.png" : ".png");
    if (!Save(image, folder + "/" + name)) return false;
  }
  (void)stem;
  return true;
}

// A channel-list element's background: a rounded panel, with the side's colour
// along the left edge when selected. Drawn 9-slice friendly (corner='6,6,6,6').
bool DrawChannel(const QString& folder, const char* side, const QColor& accent) {
  for (bool selected : {false, true})
    for (int scale : {1, 2}) {
      QImage image(48 * scale, 28 * scale, QImage::Format_ARGB32_Premultiplied);
      image.fill(Qt::transparent);
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.scale(scale, scale);
      painter.setPen(QPen(selected ? accent : QColor(0x36, 0x3A, 0x42), 1));
      painter.setBrush(selected ? QColor(0x24, 0x37, 0x46) : QColor(0x2A, 0x2D, 0x33));
      painter.drawRoundedRect(QRectF(0.5, 0.5, 47, 27), 4, 4);
      if (selected) painter.fillRect(QRectF(1, 6, 3, 16), accent);
      painter.end();
      const QString name = QString("channel_%1%2%3").arg(side, selected ? "_selected" : "",
                                                          scale == 2 ? "@2x.png" : ".png");
      if (!Save(image, folder + "/" + name)) return false;
    }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: velmora-skin-icons SKIN_FOLDER\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]) + "/image";
  QDir().mkpath(folder);
  for (const auto& [stem, draw] : Icons())
    for (const Look& look : {kClosed, kOpen}) {
      const std::string base = stem + look.suffix;
      if (!DrawIcon(folder, stem, draw, base, look.normal) ||
          !DrawIcon(folder, stem, draw, base + "_hot", look.hot) ||
          !DrawIcon(folder, stem, draw, base + "_pushed", look.pushed))
        return 1;
    }
  if (!DrawChannel(folder, "input", QColor(0x03, 0xC1, 0x71)) ||
      !DrawChannel(folder, "output", QColor(0xFE, 0xA3, 0x07)))
    return 1;
  return 0;
}
