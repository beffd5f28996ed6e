// Draws the program's icon, a database drum with a data grid sheet in front of it, as a
// square PNG: draw_icon <size> <file.png>. Run at build time for each installed size, so
// the drawing lives here as code and no picture file needs to be kept in step with it.
#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// The drawing is made on a 256 x 256 canvas and scaled to the size asked for.
constexpr double kCanvas = 256;

const QColor kDrumDark(0x1d, 0x4e, 0x89);
const QColor kDrumLight(0x3f, 0x88, 0xc9);
const QColor kDrumTop(0x8c, 0xc3, 0xf0);
const QColor kOutline(0x10, 0x2f, 0x55);
const QColor kSheet(0xfb, 0xfb, 0xf8);
const QColor kHeader(0xe8, 0x7a, 0x1e);
const QColor kGridLine(0x9a, 0xa5, 0xb1);

// Width of an outline, never thinner than one pixel of the final picture.
double Stroke(double canvas_width, double scale) {
  return std::max(canvas_width, 1.0 / scale);
}

void DrawDrum(QPainter& painter, double scale) {
  const double left = 28, right = 172, top = 52, bottom = 196, ry = 22;
  const QRectF top_ellipse(left, top - ry, right - left, 2 * ry);

  QPainterPath body;
  body.moveTo(left, top);
  body.lineTo(left, bottom);
  body.arcTo(QRectF(left, bottom - ry, right - left, 2 * ry), 180, 180);
  body.lineTo(right, top);
  body.arcTo(top_ellipse, 0, -180);
  QLinearGradient shade(left, 0, right, 0);
  shade.setColorAt(0, kDrumDark);
  shade.setColorAt(0.35, kDrumLight);
  shade.setColorAt(1, kDrumDark);
  painter.setPen(QPen(kOutline, Stroke(5, scale)));
  painter.setBrush(shade);
  painter.drawPath(body);

  // Two bands mark the stacked platters.
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kDrumTop, Stroke(5, scale)));
  for (double y : {top + 48, top + 96}) {
    painter.drawArc(QRectF(left + 4, y - ry, right - left - 8, 2 * ry), 180 * 16, 180 * 16);
  }

  painter.setPen(QPen(kOutline, Stroke(5, scale)));
  painter.setBrush(kDrumTop);
  painter.drawEllipse(top_ellipse);
}

void DrawSheet(QPainter& painter, double scale) {
  const QRectF sheet(112, 118, 128, 118);
  painter.setPen(QPen(kOutline, Stroke(5, scale)));
  painter.setBrush(kSheet);
  painter.drawRoundedRect(sheet, 10, 10);

  // The header row, then the grid: three columns, three rows below the header.
  const double header = 30;
  QPainterPath header_path;
  header_path.addRoundedRect(sheet.adjusted(2.5, 2.5, -2.5, 0), 8, 8);
  QPainterPath below;
  below.addRect(QRectF(sheet.left(), sheet.top() + header, sheet.width(), sheet.height()));
  painter.setPen(Qt::NoPen);
  painter.setBrush(kHeader);
  painter.drawPath(header_path.subtracted(below));

  painter.setPen(QPen(kGridLine, Stroke(4, scale)));
  const double row = (sheet.height() - header) / 3;
  for (int i = 0; i <= 2; ++i) {
    const double y = sheet.top() + header + i * row;
    painter.drawLine(QPointF(sheet.left() + 3, y), QPointF(sheet.right() - 3, y));
  }
  const double column = sheet.width() / 3;
  for (int i = 1; i <= 2; ++i) {
    const double x = sheet.left() + i * column;
    painter.drawLine(QPointF(x, sheet.top() + header), QPointF(x, sheet.bottom() - 3));
  }
  painter.setPen(QPen(kOutline, Stroke(5, scale)));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(sheet, 10, 10);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::atoi(argv[1]) < 16 || std::atoi(argv[1]) > 1024) {
    std::fprintf(stderr, "usage: draw_icon <size 16..1024> <file.png>\n");
    return 2;
  }
  const int size = std::atoi(argv[1]);
  const double scale = size / kCanvas;
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    DrawDrum(painter, scale);
    DrawSheet(painter, scale);
  }
  if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "draw_icon: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
