// Draws the window's pictures into PNG files: the seven product icons
// (41 x 35), the button pictures (24 x 24), the query button's icon (16 x 16)
// and the program icon.  The PNGs are committed and compiled into the program
// as resources; this tool only runs again when a drawing changes.
//
//   orvel_draw_icons DIRECTORY
//
// One style for all: a rounded tile or disc in the subject's colour, lighter
// at the top, with a white glyph on it.
#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>

#include <cstdio>
#include <functional>

namespace {

using Glyph = std::function<void(QPainter&, const QColor& base)>;

QLinearGradient shade(const QColor& base, double top, double bottom) {
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, base.lighter(135));
    gradient.setColorAt(1, base);
    return gradient;
}

QPen whitePen(double width) {
    return QPen(Qt::white, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

bool save(const QImage& image, const QString& directory, const QString& name) {
    const QString path = directory + "/" + name + ".png";
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// A product icon: a 37 x 33 rounded tile, the glyph drawn around its centre.
// The two bottom rows stay clear: the product entries' frame passes there.
QImage productIcon(const QColor& base, const Glyph& glyph) {
    QImage image(41, 35, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(2.5, 0.5, 36, 32);
    p.setPen(QPen(base.darker(135), 1));
    p.setBrush(shade(base, tile.top(), tile.bottom()));
    p.drawRoundedRect(tile, 7, 7);
    p.translate(tile.center());
    glyph(p, base);
    return image;
}

// A round picture of `size` pixels, the glyph drawn around its centre in a
// coordinate system 24 units wide.
QImage discIcon(int size, const QColor& base, const Glyph& glyph) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 24.0, size / 24.0);
    p.setPen(QPen(base.darker(135), 1));
    p.setBrush(shade(base, 1, 23));
    p.drawEllipse(QRectF(1.5, 1.5, 21, 21));
    p.translate(12, 12);
    glyph(p, base);
    return image;
}

void shield(QPainter& p, const QColor& base) {
    QPainterPath path;
    path.moveTo(0, -11);
    path.cubicTo(3, -9, 6, -8.5, 9, -8.5);
    path.lineTo(9, -1);
    path.cubicTo(9, 5, 4, 9, 0, 11);
    path.cubicTo(-4, 9, -9, 5, -9, -1);
    path.lineTo(-9, -8.5);
    path.cubicTo(-6, -8.5, -3, -9, 0, -11);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.setPen(QPen(base, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF{{-4.5, 0}, {-1.2, 3.5}, {4.8, -3.8}});
}

void globe(QPainter& p, const QColor&) {
    const QRectF outline(-10, -10, 20, 20);
    QPainterPath clip;
    clip.addEllipse(outline);
    p.setPen(whitePen(1.6));
    p.setBrush(Qt::NoBrush);
    p.setClipPath(clip);
    p.drawEllipse(QRectF(-4.5, -10, 9, 20));
    p.drawLine(QPointF(0, -10), QPointF(0, 10));
    p.drawLine(QPointF(-10, 0), QPointF(10, 0));
    p.drawLine(QPointF(-10, -5), QPointF(10, -5));
    p.drawLine(QPointF(-10, 5), QPointF(10, 5));
    p.setClipping(false);
    p.setPen(whitePen(2));
    p.drawEllipse(outline);
}

void document(QPainter& p, const QColor& base) {
    QPainterPath page;
    page.moveTo(-8, -11);
    page.lineTo(3, -11);
    page.lineTo(8, -6);
    page.lineTo(8, 11);
    page.lineTo(-8, 11);
    page.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.setBrush(base.lighter(150));
    p.drawPolygon(QPolygonF{{3, -11}, {3, -6}, {8, -6}});
    p.setPen(QPen(base, 1.6, Qt::SolidLine, Qt::RoundCap));
    for (double y : {-3.0, 1.0, 5.0}) p.drawLine(QPointF(-4.5, y), QPointF(4.5, y));
}

void gem(QPainter& p, const QColor& base) {
    const QPolygonF outline{{-6, -7}, {6, -7}, {11, -1.5}, {0, 10}, {-11, -1.5}};
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(outline);
    p.setPen(QPen(base, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(-11, -1.5), QPointF(11, -1.5));
    p.drawPolyline(QPolygonF{{-6, -7}, {-3.5, -1.5}, {0, 10}, {3.5, -1.5}, {6, -7}});
    p.drawPolyline(QPolygonF{{-3.5, -1.5}, {0, -7}, {3.5, -1.5}});
}

void cup(QPainter& p, const QColor&) {
    QPainterPath body;
    body.moveTo(-9, -3);
    body.lineTo(5, -3);
    body.lineTo(4, 4);
    body.quadTo(3.5, 8, -0.5, 8);
    body.lineTo(-3.5, 8);
    body.quadTo(-7.5, 8, -8, 4);
    body.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(body);
    p.setPen(whitePen(1.8));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(2.5, -1.5, 7, 6.5), -90 * 16, 180 * 16);
    p.drawLine(QPointF(-11, 10.5), QPointF(8, 10.5));
    p.setPen(whitePen(1.3));
    for (double x : {-5.5, -1.0}) {
        QPainterPath steam;
        steam.moveTo(x, -5.5);
        steam.cubicTo(x - 2, -7.5, x + 2, -9, x, -11);
        p.drawPath(steam);
    }
}

// Instalments received and paid: a banknote with arrows both ways.
void banknote(QPainter& p, const QColor& base) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(-11.5, -4, 23, 14), 1.5, 1.5);
    p.setPen(QPen(base, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(-9.5, -2, 19, 10), 1, 1);
    p.setPen(Qt::NoPen);
    p.setBrush(base);
    p.drawEllipse(QPointF(0, 3), 3, 3);
    p.setPen(whitePen(1.6));
    p.drawLine(QPointF(-1.5, -8.5), QPointF(-9.5, -8.5));
    p.drawPolyline(QPolygonF{{-7, -11}, {-9.5, -8.5}, {-7, -6}});
    p.drawLine(QPointF(1.5, -8.5), QPointF(9.5, -8.5));
    p.drawPolyline(QPolygonF{{7, -11}, {9.5, -8.5}, {7, -6}});
}

void touchMonitor(QPainter& p, const QColor& base) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(-11, -10, 22, 15.5), 2, 2);
    p.setBrush(base.lighter(150));
    p.drawRect(QRectF(-9, -8, 18, 11.5));
    p.setPen(whitePen(2));
    p.drawLine(QPointF(0, 5.5), QPointF(0, 8.5));
    p.drawLine(QPointF(-5, 9.5), QPointF(5, 9.5));
    p.setPen(QPen(Qt::white, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(3, -2.5), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(3, -2.5), 1.8, 1.8);
}

void upArrow(QPainter& p, const QColor&) {
    p.setPen(whitePen(3.2));
    p.drawLine(QPointF(0, 6.5), QPointF(0, -2));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF{{-6.5, -0.5}, {0, -7.5}, {6.5, -0.5}});
}

void power(QPainter& p, const QColor&) {
    p.setPen(whitePen(2.4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(-6.5, -5.5, 13, 13), 125 * 16, 290 * 16);
    p.drawLine(QPointF(0, -7.5), QPointF(0, 0.5));
}

void play(QPainter& p, const QColor&) {
    p.setPen(whitePen(1.5));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF{{-3.5, -6.5}, {7, 0}, {-3.5, 6.5}});
}

QImage consoleIcon() {
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor base(0x3b, 0x4a, 0x5a);
    p.setPen(QPen(base.darker(140), 1));
    p.setBrush(shade(base, 2, 14));
    p.drawRoundedRect(QRectF(0.5, 1.5, 15, 13), 2.5, 2.5);
    p.setPen(whitePen(1.5));
    p.drawPolyline(QPolygonF{{3.5, 5}, {6.5, 8}, {3.5, 11}});
    p.drawLine(QPointF(8.5, 11), QPointF(12.5, 11));
    return image;
}

QImage programIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    const QColor blue(0x2f, 0x6f, 0xb5);
    QLinearGradient side(6, 0, 46, 0);
    side.setColorAt(0, blue.lighter(125));
    side.setColorAt(1, blue.darker(115));
    p.setPen(QPen(blue.darker(150), 1.5));
    p.setBrush(side);
    QPainterPath body;
    body.moveTo(6, 12);
    body.lineTo(6, 48);
    body.arcTo(QRectF(6, 42, 40, 12), 180, 180);
    body.lineTo(46, 12);
    p.drawPath(body);
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 18, 40, 12), 180 * 16, 180 * 16);
    p.drawArc(QRectF(6, 30, 40, 12), 180 * 16, 180 * 16);
    p.setPen(QPen(blue.darker(150), 1.5));
    p.setBrush(blue.lighter(160));
    p.drawEllipse(QRectF(6, 6, 40, 12));
    const QColor green(0x3f, 0x9a, 0x4a);
    p.translate(42, 42);
    p.scale(20 / 24.0, 20 / 24.0);
    p.setPen(QPen(Qt::white, 2.5));
    p.setBrush(shade(green, -12, 12));
    p.drawEllipse(QRectF(-11.5, -11.5, 23, 23));
    upArrow(p, green);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const struct {
        const char* name;
        QColor base;
        Glyph glyph;
    } products[] = {
        {"product-0-insurance", QColor(0x2f, 0x6f, 0xb5), shield},
        {"product-1-internet", QColor(0x1c, 0x93, 0xa0), globe},
        {"product-2-office", QColor(0x6b, 0x59, 0xb3), document},
        {"product-3-jewellery", QColor(0xb3, 0x45, 0x7f), gem},
        {"product-4-restaurant", QColor(0xc0, 0x71, 0x24), cup},
        {"product-5-treasury", QColor(0x3f, 0x9a, 0x4a), banknote},
        {"product-6-touch", QColor(0x4a, 0x5a, 0x6b), touchMonitor},
    };
    bool ok = true;
    for (const auto& product : products) ok &= save(productIcon(product.base, product.glyph), dir, product.name);
    ok &= save(discIcon(24, QColor(0x3f, 0x9a, 0x4a), upArrow), dir, "start");
    ok &= save(discIcon(24, QColor(0xc0, 0x39, 0x2b), power), dir, "exit");
    ok &= save(discIcon(24, QColor(0x2f, 0x6f, 0xb5), play), dir, "run");
    ok &= save(consoleIcon(), dir, "query");
    ok &= save(programIcon(64), dir, "program-64");
    ok &= save(programIcon(32), dir, "program-32");
    return ok ? 0 : 1;
}
