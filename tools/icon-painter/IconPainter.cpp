// Paints the program's icons into a folder: icon-painter OUTPUT_DIR [SHEET.png]
// Run once when an icon changes; the PNG and ICO files are kept in
// Resources/images/ and compiled into the program. The optional sheet shows
// them all side by side on a grey ground for a look at once.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kSize = 64;

const QColor kInk(38, 50, 64);
const QColor kBlue(30, 120, 215);
const QColor kLightBlue(140, 190, 240);
const QColor kGreen(40, 160, 70);
const QColor kRed(215, 50, 45);
const QColor kOrange(235, 140, 30);
const QColor kPaper(250, 250, 250);

QPen pen(const QColor& colour, double width) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void triangle(QPainter& p, double left, double top, double width, double height, bool pointsRight,
              const QColor& fill) {
    QPolygonF t;
    if (pointsRight) {
        t << QPointF(left, top) << QPointF(left + width, top + height / 2)
          << QPointF(left, top + height);
    } else {
        t << QPointF(left + width, top) << QPointF(left, top + height / 2)
          << QPointF(left + width, top + height);
    }
    p.setPen(pen(fill.darker(130), 2));
    p.setBrush(fill);
    p.drawPolygon(t);
}

void badge(QPainter& p, const QString& text) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(text.size() > 4 ? 13 : text.size() > 2 ? 16 : 20);
    f.setBold(true);
    p.setFont(f);
    const QRectF box(20, 42, 44, 22);
    p.setPen(Qt::NoPen);
    p.setBrush(kOrange);
    p.drawRoundedRect(box, 6, 6);
    p.setPen(Qt::white);
    p.drawText(box, Qt::AlignCenter, text);
}

// The sensor: a short cylinder with its window band.
void sensor(QPainter& p, QRectF body) {
    p.setPen(pen(kInk, 2.5));
    p.setBrush(QColor(70, 80, 95));
    p.drawRoundedRect(body, 6, 6);
    const QRectF band(body.left() + 3, body.center().y() - body.height() * 0.15, body.width() - 6,
                      body.height() * 0.3);
    p.setPen(Qt::NoPen);
    p.setBrush(kLightBlue);
    p.drawRect(band);
}

void logo(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(QRectF(2, 2, 60, 60));
    sensor(p, QRectF(14, 18, 26, 28));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        const double r = 8 + 7 * i;
        p.setPen(pen(Qt::white, 3));
        p.drawArc(QRectF(40 - r, 32 - r, 2 * r, 2 * r), -40 * 16, 80 * 16);
    }
}

void gear(QPainter& p, QPointF centre, double radius, const QColor& colour) {
    QPainterPath path;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = i * M_PI / teeth;
        const double a1 = (i + 1) * M_PI / teeth;
        const double r = i % 2 == 0 ? radius : radius * 0.78;
        const QPointF p0 = centre + QPointF(r * qCos(a0), r * qSin(a0));
        const QPointF p1 = centre + QPointF(r * qCos(a1), r * qSin(a1));
        if (i == 0) {
            path.moveTo(p0);
        } else {
            path.lineTo(p0);
        }
        path.lineTo(p1);
    }
    path.closeSubpath();
    path.addEllipse(centre, radius * 0.32, radius * 0.32);
    path.setFillRule(Qt::OddEvenFill);
    p.setPen(pen(colour.darker(140), 1.5));
    p.setBrush(colour);
    p.drawPath(path);
}

// A cube seen from the front-right-top, with one face in the accent colour.
void viewCube(QPainter& p, int highlighted) {
    const QPointF a(12, 24), b(40, 24), c(40, 54), d(12, 54); // front
    const QPointF o(14, 10);                                  // depth offset
    const QPolygonF front({a, b, c, d});
    const QPolygonF top({a, a + o, b + o, b});
    const QPolygonF side({b, b + o, c + o, c});
    const QPolygonF faces[3] = {front, top, side};
    for (int i = 0; i < 3; ++i) {
        p.setPen(pen(kInk, 2));
        p.setBrush(i == highlighted ? kBlue : kPaper);
        p.drawPolygon(faces[i]);
    }
}

// A sheet of paper with a folded corner.
void page(QPainter& p) {
    p.setPen(pen(kInk, 2));
    p.setBrush(kPaper);
    p.drawPolygon(QPolygonF({{10, 4}, {42, 4}, {54, 16}, {54, 60}, {10, 60}}));
    p.drawLine(QPointF(42, 4), QPointF(42, 16));
    p.drawLine(QPointF(42, 16), QPointF(54, 16));
}

void swatch(QPainter& p, const QColor& colour) {
    p.setPen(pen(colour.darker(150), 2));
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(8, 8, 48, 48), 8, 8);
}

void numberDisc(QPainter& p, const QString& text) {
    p.setPen(pen(kBlue.darker(130), 2));
    p.setBrush(kBlue);
    p.drawEllipse(QRectF(4, 4, 56, 56));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(text.size() > 1 ? 28 : 34);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, kSize, kSize), Qt::AlignCenter, text);
}

void seek(QPainter& p, bool forward, const QString& speed) {
    const QColor fill = kBlue;
    if (forward) {
        triangle(p, 6, 12, 24, 34, true, fill);
        triangle(p, 30, 12, 24, 34, true, fill);
    } else {
        triangle(p, 10, 12, 24, 34, false, fill);
        triangle(p, 34, 12, 24, 34, false, fill);
    }
    if (!speed.isEmpty()) {
        badge(p, speed);
    }
}

struct Icon {
    QString fileName;
    std::function<void(QPainter&)> paint;
};

std::vector<Icon> icons() {
    std::vector<Icon> all;
    all.push_back({"corvane.png", logo});
    all.push_back({"corvane.ico", logo});
    all.push_back({"Sensor.png", [](QPainter& p) { sensor(p, QRectF(12, 8, 40, 48)); }});
    all.push_back({"Sensors.png", [](QPainter& p) {
                       // Two sensors, one behind the other.
                       sensor(p, QRectF(26, 6, 30, 36));
                       sensor(p, QRectF(8, 22, 30, 36));
                   }});
    all.push_back({"Grid.png", [](QPainter& p) {
                       p.setPen(pen(kInk, 2.5));
                       for (int i = 0; i < 5; ++i) {
                           const double v = 8 + 12 * i;
                           p.drawLine(QPointF(v, 8), QPointF(v, 56));
                           p.drawLine(QPointF(8, v), QPointF(56, v));
                       }
                   }});
    all.push_back({"select.png", [](QPainter& p) {
                       QPen dashed = pen(kBlue, 3);
                       dashed.setStyle(Qt::DashLine);
                       p.setPen(dashed);
                       p.setBrush(QColor(30, 120, 215, 40));
                       p.drawRect(QRectF(6, 6, 40, 34));
                       QPolygonF arrow(
                           {{34, 28}, {34, 60}, {42, 52}, {48, 62}, {53, 59}, {47, 49}, {58, 48}});
                       p.setPen(pen(Qt::white, 1.5));
                       p.setBrush(kInk);
                       p.drawPolygon(arrow);
                   }});
    all.push_back({"Red.png", [](QPainter& p) {
                       p.setPen(pen(kRed.darker(140), 2));
                       p.setBrush(kRed);
                       p.drawEllipse(QRectF(4, 4, 56, 56));
                       p.setPen(Qt::NoPen);
                       p.setBrush(Qt::white);
                       p.drawRoundedRect(QRectF(21, 18, 8, 28), 2, 2);
                       p.drawRoundedRect(QRectF(35, 18, 8, 28), 2, 2);
                   }});
    all.push_back({"clear.png", [](QPainter& p) {
                       // An eraser wiping a line.
                       p.save();
                       p.translate(32, 30);
                       p.rotate(-35);
                       p.setPen(pen(kInk, 2));
                       p.setBrush(kPaper);
                       p.drawRect(QRectF(-22, -10, 22, 20));
                       p.setBrush(QColor(235, 110, 130));
                       p.drawRect(QRectF(0, -10, 22, 20));
                       p.restore();
                       p.setPen(pen(kInk, 2.5));
                       p.drawLine(QPointF(8, 56), QPointF(56, 56));
                   }});
    all.push_back({"Coordinate.png", [](QPainter& p) {
                       const QPointF o(22, 42);
                       const struct {
                           QPointF tip;
                           QColor colour;
                       } axes[3] = {{{58, 42}, kRed}, {{40, 24}, kGreen}, {{22, 4}, kBlue}};
                       for (const auto& a : axes) {
                           p.setPen(pen(a.colour, 4));
                           p.drawLine(o, a.tip);
                           p.setBrush(a.colour);
                           p.drawEllipse(a.tip, 3, 3);
                       }
                       p.setPen(Qt::NoPen);
                       p.setBrush(kInk);
                       p.drawEllipse(o, 4, 4);
                   }});
    all.push_back({"LidarDataList.png", [](QPainter& p) {
                       p.setPen(pen(kInk, 2));
                       p.setBrush(kPaper);
                       p.drawRect(QRectF(6, 8, 52, 48));
                       p.setBrush(kBlue);
                       p.drawRect(QRectF(6, 8, 52, 10));
                       for (int i = 0; i < 3; ++i) {
                           const double y = 28 + 10 * i;
                           p.drawLine(QPointF(10, y), QPointF(54, y));
                       }
                       p.drawLine(QPointF(22, 18), QPointF(22, 56));
                   }});
    all.push_back(
        {"OpenCaptureFile.png", [](QPainter& p) {
             p.setPen(pen(kInk, 2));
             p.setBrush(QColor(245, 200, 90));
             p.drawPolygon(QPolygonF({{4, 14}, {22, 14}, {27, 20}, {52, 20}, {52, 52}, {4, 52}}));
             p.setBrush(QColor(252, 222, 130));
             p.drawPolygon(QPolygonF({{12, 28}, {60, 28}, {52, 52}, {4, 52}}));
         }});
    all.push_back({"Gotostart.png", [](QPainter& p) {
                       p.setPen(Qt::NoPen);
                       p.setBrush(kBlue);
                       p.drawRect(QRectF(10, 12, 7, 40));
                       triangle(p, 20, 12, 32, 40, false, kBlue);
                   }});
    all.push_back({"Gotostop.png", [](QPainter& p) {
                       triangle(p, 12, 12, 32, 40, true, kBlue);
                       p.setPen(Qt::NoPen);
                       p.setBrush(kBlue);
                       p.drawRect(QRectF(47, 12, 7, 40));
                   }});
    all.push_back({"Play.png", [](QPainter& p) { triangle(p, 16, 8, 38, 48, true, kGreen); }});
    all.push_back({"Pause.png", [](QPainter& p) {
                       p.setPen(pen(kBlue.darker(130), 2));
                       p.setBrush(kBlue);
                       p.drawRoundedRect(QRectF(14, 10, 13, 44), 2, 2);
                       p.drawRoundedRect(QRectF(37, 10, 13, 44), 2, 2);
                   }});
    const QString speeds[5] = {"", "2x", "3x", "0.5x", "0.25x"};
    const QString suffixes[5] = {"", "_2x", "_3x", "_0.5x", "_0.25x"};
    for (int i = 0; i < 5; ++i) {
        const QString speed = speeds[i];
        all.push_back(
            {"Seekforward" + suffixes[i] + ".png", [speed](QPainter& p) { seek(p, true, speed); }});
        all.push_back({"Seekbackward" + suffixes[i] + ".png",
                       [speed](QPainter& p) { seek(p, false, speed); }});
    }
    all.push_back({"Record.png", [](QPainter& p) {
                       p.setPen(pen(kInk, 3));
                       p.setBrush(Qt::white);
                       p.drawEllipse(QRectF(4, 4, 56, 56));
                       p.setPen(Qt::NoPen);
                       p.setBrush(kRed);
                       p.drawEllipse(QRectF(16, 16, 32, 32));
                   }});
    all.push_back({"InteractionSetUp.png", [](QPainter& p) { gear(p, {32, 32}, 28, kBlue); }});
    all.push_back({"AdvancedSetting.png", [](QPainter& p) {
                       gear(p, {24, 26}, 21, kBlue);
                       gear(p, {46, 46}, 15, kOrange);
                   }});
    all.push_back({"Chanel.png", [](QPainter& p) {
                       // Beams fanning out of the sensor, one per channel.
                       const QPointF origin(8, 32);
                       for (int i = 0; i < 5; ++i) {
                           const QPointF end(58, 8 + 12 * i);
                           p.setPen(pen(i == 2 ? kRed : kBlue, 3));
                           p.drawLine(origin, end);
                           p.setPen(Qt::NoPen);
                           p.setBrush(i == 2 ? kRed : kBlue);
                           p.drawEllipse(end, 3.5, 3.5);
                       }
                       p.setBrush(kInk);
                       p.drawEllipse(origin, 6, 6);
                   }});
    all.push_back({"Csv.png", [](QPainter& p) {
                       page(p);
                       p.setPen(Qt::NoPen);
                       p.setBrush(kGreen);
                       p.drawRect(QRectF(4, 28, 46, 20));
                       QFont f(QStringLiteral("DejaVu Sans"));
                       f.setPixelSize(16);
                       f.setBold(true);
                       p.setFont(f);
                       p.setPen(Qt::white);
                       p.drawText(QRectF(4, 28, 46, 20), Qt::AlignCenter, QStringLiteral("CSV"));
                   }});
    all.push_back({"SaveImage.png", [](QPainter& p) {
                       // A picture: a scene of points under a sun.
                       p.setPen(pen(kInk, 2.5));
                       p.setBrush(kPaper);
                       p.drawRoundedRect(QRectF(5, 10, 54, 44), 4, 4);
                       p.setPen(Qt::NoPen);
                       p.setBrush(kOrange);
                       p.drawEllipse(QPointF(45, 22), 5, 5);
                       p.setBrush(kBlue);
                       p.drawPolygon(QPolygonF({{9, 50}, {24, 28}, {34, 40}, {41, 33}, {55, 50}}));
                   }});
    all.push_back({"SaveFrame.png", [](QPainter& p) {
                       // A page holding a cloud of points.
                       page(p);
                       p.setPen(Qt::NoPen);
                       p.setBrush(kBlue);
                       const QPointF dots[] = {{18, 46}, {24, 40}, {30, 44}, {36, 36}, {42, 42},
                                               {22, 30}, {30, 26}, {40, 28}, {46, 50}, {28, 52}};
                       for (const QPointF& d : dots) {
                           p.drawEllipse(d, 3, 3);
                       }
                   }});
    all.push_back({"Restore.png", [](QPainter& p) {
                       // An arrow turning back.
                       p.setPen(pen(kBlue, 6));
                       p.setBrush(Qt::NoBrush);
                       p.drawArc(QRectF(12, 12, 40, 40), 120 * 16, 280 * 16);
                       p.setPen(Qt::NoPen);
                       p.setBrush(kBlue);
                       // The head at the arc's open end, pointing along it.
                       p.drawPolygon(QPolygonF({{29, 10.5}, {23.5, 23}, {15.5, 9.5}}));
                   }});
    all.push_back({"About.png", [](QPainter& p) {
                       p.setPen(pen(kBlue.darker(130), 2));
                       p.setBrush(kBlue);
                       p.drawEllipse(QRectF(4, 4, 56, 56));
                       p.setPen(Qt::NoPen);
                       p.setBrush(Qt::white);
                       p.drawEllipse(QPointF(32, 18), 4.5, 4.5);
                       p.drawRoundedRect(QRectF(27.5, 27, 9, 24), 2, 2);
                   }});
    all.push_back({"User.png", [](QPainter& p) {
                       p.setPen(Qt::NoPen);
                       p.setBrush(kInk);
                       p.drawEllipse(QPointF(32, 20), 12, 12);
                       p.drawChord(QRectF(10, 36, 44, 44), 0, 180 * 16);
                   }});
    all.push_back({"Develop.png", [](QPainter& p) {
                       p.setPen(pen(kInk, 5));
                       p.setBrush(Qt::NoBrush);
                       p.drawPolyline(QPolygonF({{20, 16}, {6, 32}, {20, 48}}));
                       p.drawPolyline(QPolygonF({{44, 16}, {58, 32}, {44, 48}}));
                       p.setPen(pen(kBlue, 5));
                       p.drawLine(QPointF(37, 10), QPointF(27, 54));
                   }});
    all.push_back({"zhengshi.png", [](QPainter& p) { viewCube(p, 0); }});
    all.push_back({"fushi.png", [](QPainter& p) { viewCube(p, 1); }});
    all.push_back({"zuoshi.png", [](QPainter& p) { viewCube(p, 2); }});
    all.push_back({"Purple.png", [](QPainter& p) {
                       // The intensity ramp: blue through green and yellow to red.
                       QLinearGradient ramp(8, 0, 56, 0);
                       ramp.setColorAt(0, QColor(0, 0, 255));
                       ramp.setColorAt(0.33, QColor(0, 255, 0));
                       ramp.setColorAt(0.66, QColor(255, 255, 0));
                       ramp.setColorAt(1, QColor(255, 0, 0));
                       p.setPen(pen(QColor(110, 40, 150), 3));
                       p.setBrush(ramp);
                       p.drawRoundedRect(QRectF(8, 8, 48, 48), 8, 8);
                   }});
    all.push_back({"Color.png", [](QPainter& p) {
                       // Height bands: brown, yellow, white, green, blue.
                       const QColor bands[5] = {QColor(0, 0, 255), QColor(0, 128, 0), Qt::white,
                                                QColor(255, 255, 0), QColor(139, 69, 19)};
                       for (int i = 0; i < 5; ++i) {
                           p.setPen(Qt::NoPen);
                           p.setBrush(bands[i]);
                           p.drawRect(QRectF(8, 8 + 9.6 * i, 48, 9.6));
                       }
                       p.setPen(pen(kInk, 2));
                       p.setBrush(Qt::NoBrush);
                       p.drawRect(QRectF(8, 8, 48, 48));
                   }});
    all.push_back({"Green.png", [](QPainter& p) { swatch(p, QColor(0, 200, 90)); }});
    all.push_back({"Yellow.png", [](QPainter& p) { swatch(p, QColor(250, 210, 0)); }});
    all.push_back({"5.png", [](QPainter& p) { numberDisc(p, "5"); }});
    all.push_back({"10.png", [](QPainter& p) { numberDisc(p, "10"); }});
    all.push_back({"20.png", [](QPainter& p) { numberDisc(p, "20"); }});
    all.push_back({"RangeImage.png", [](QPainter& p) {
                       // Rows of a range image: bands of returns with a dark gap.
                       p.setPen(Qt::NoPen);
                       p.setBrush(Qt::black);
                       p.drawRect(QRectF(6, 12, 52, 40));
                       const QColor rows[4] = {QColor(0, 0, 255), QColor(0, 255, 0),
                                               QColor(255, 255, 0), QColor(255, 0, 0)};
                       for (int r = 0; r < 4; ++r) {
                           for (int c = 0; c < 6; ++c) {
                               if ((r + c) % 5 == 3) {
                                   continue;
                               }
                               p.setBrush(rows[(r + c / 3) % 4]);
                               p.drawRect(QRectF(8 + 8 * c, 14 + 9.5 * r, 7, 8));
                           }
                       }
                       p.setPen(pen(kInk, 2));
                       p.setBrush(Qt::NoBrush);
                       p.drawRect(QRectF(6, 12, 52, 40));
                   }});
    all.push_back({"Ruler.png", [](QPainter& p) {
                       // A ruler laid across, with its marks.
                       p.save();
                       p.translate(32, 32);
                       p.rotate(-35);
                       p.setPen(pen(kInk, 2));
                       p.setBrush(kOrange);
                       p.drawRect(QRectF(-28, -9, 56, 18));
                       for (int i = 0; i <= 10; ++i) {
                           const double x = -24 + 4.8 * i;
                           p.drawLine(QPointF(x, -9), QPointF(x, i % 5 == 0 ? 1 : -3));
                       }
                       p.restore();
                   }});
    all.push_back({"Trail.png", [](QPainter& p) {
                       // A point moving right, its earlier places fading behind it.
                       p.setPen(Qt::NoPen);
                       for (int i = 0; i < 4; ++i) {
                           QColor c = kBlue;
                           c.setAlphaF(0.25 + 0.25 * i);
                           p.setBrush(c);
                           p.drawEllipse(QPointF(12 + 13 * i, 40 - 5 * i), 5 + i, 5 + i);
                       }
                   }});
    all.push_back({"YES.png", [](QPainter& p) {
                       p.setPen(pen(kGreen, 9));
                       p.drawPolyline(QPolygonF({{10, 34}, {26, 50}, {54, 14}}));
                   }});
    all.push_back({"NO.png", [](QPainter& p) {
                       p.setPen(pen(kRed, 9));
                       p.drawLine(QPointF(14, 14), QPointF(50, 50));
                       p.drawLine(QPointF(50, 14), QPointF(14, 50));
                   }});
    return all;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: icon-painter OUTPUT_DIR [SHEET.png]\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    const std::vector<Icon> all = icons();
    constexpr int kPerRow = 8;
    const int rows = (static_cast<int>(all.size()) + kPerRow - 1) / kPerRow;
    QImage sheet(kPerRow * (kSize + 8), rows * (kSize + 8), QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(200, 200, 200));
    QPainter sheetPainter(&sheet);
    int placed = 0;
    for (const Icon& icon : all) {
        QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::TextAntialiasing);
            icon.paint(p);
        }
        QImageWriter writer(out.filePath(icon.fileName));
        if (!writer.write(image)) {
            std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(icon.fileName),
                         qPrintable(writer.errorString()));
            return 1;
        }
        sheetPainter.drawImage((placed % kPerRow) * (kSize + 8) + 4,
                               (placed / kPerRow) * (kSize + 8) + 4, image);
        ++placed;
    }
    sheetPainter.end();
    if (argc == 3 && !sheet.save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
