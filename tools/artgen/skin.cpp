// Skin pictures of the player window: the five buttons in their looks, the title bar, the edges and the bottom pieces.
#include "artgen.h"

#include <QLinearGradient>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace artgen {
namespace {

// A button box in the window is 33 pixels wide; wider pictures are cut there.
constexpr int kButtonBoxWidth = 33;

struct GlyphShape {
    QPainterPath path;
    QSize box;
};

GlyphShape glyphShape(Glyph glyph)
{
    QPainterPath p;
    switch (glyph) {
    case Glyph::Prev:
        p.addRect(0, 0, 2, 11);
        p.moveTo(11, 0);
        p.lineTo(11, 11);
        p.lineTo(2.6, 5.5);
        p.closeSubpath();
        return {p, QSize(11, 11)};
    case Glyph::Pause:
        p.addRect(0, 0, 4, 11);
        p.addRect(7, 0, 4, 11);
        return {p, QSize(11, 11)};
    case Glyph::Play:
        p.moveTo(0, 0);
        p.lineTo(0, 11);
        p.lineTo(9.5, 5.5);
        p.closeSubpath();
        return {p, QSize(10, 11)};
    case Glyph::Stop:
        p.addRect(0, 0, 10, 10);
        return {p, QSize(10, 10)};
    case Glyph::Next:
        p.moveTo(0, 0);
        p.lineTo(0, 11);
        p.lineTo(8.4, 5.5);
        p.closeSubpath();
        p.addRect(9, 0, 2, 11);
        return {p, QSize(11, 11)};
    }
    return {p, QSize()};
}

// Where the glyph sits: centred in the normal picture, kept there under the
// pointer so it does not jump, and pushed one pixel down-right when pressed.
QPoint glyphOrigin(QSize glyphBox, QSize normalSize, Look look)
{
    const int visibleWidth = std::min(normalSize.width(), kButtonBoxWidth);
    QPoint origin((visibleWidth - glyphBox.width()) / 2, (normalSize.height() - glyphBox.height()) / 2);
    if (look == Look::Pressed)
        origin += QPoint(1, 1);
    return origin;
}

// Distance from the face's centre, 0 there and 1 on its rim, with nearly
// rectangular contours so the glow follows the button's shape.
double rimDistance(double x, double y, const QRectF &face)
{
    const double dx = std::abs(x - face.center().x()) / (face.width() / 2);
    const double dy = std::abs(y - face.center().y()) / (face.height() / 2);
    return std::min(1.0, std::pow(std::pow(dx, 4) + std::pow(dy, 4), 0.25));
}

void setPixel(QImage &img, int x, int y, const QColor &c)
{
    if (x >= 0 && y >= 0 && x < img.width() && y < img.height())
        img.setPixel(x, y, c.rgb());
}

// Concentric rings from the picture's edge inwards, each one window pixel
// (`scale` picture pixels) wide.
void drawRings(QImage &img, const QList<QColor> &rings, int scale)
{
    const int w = img.width(), h = img.height();
    for (int i = 0; i < rings.size() * scale; ++i) {
        for (int x = i; x < w - i; ++x) {
            setPixel(img, x, i, rings[i / scale]);
            setPixel(img, x, h - 1 - i, rings[i / scale]);
        }
        for (int y = i; y < h - i; ++y) {
            setPixel(img, i, y, rings[i / scale]);
            setPixel(img, w - 1 - i, y, rings[i / scale]);
        }
    }
}

} // namespace

QImage skinButton(Glyph glyph, Look look, QSize size, QSize normalSize, int scale)
{
    const int w = size.width(), h = size.height();
    QImage img(w * scale, h * scale, QImage::Format_RGB32);

    const QColor frameNormal(22, 78, 192), frameActive(39, 91, 196);
    const QList<QColor> rings = look == Look::Normal
        ? QList<QColor>{frameNormal, QColor(117, 163, 223), QColor(172, 199, 239)}
        : QList<QColor>{frameActive, QColor(128, 160, 216)};
    const int inset = int(rings.size());
    // The face's shading is centred on the part of the picture the box shows.
    const QRectF face(inset, inset, std::min(w, kButtonBoxWidth) - 2 * inset, h - 2 * inset);

    // Shading is worked out in window pixels: (x, y) is the picture pixel's
    // centre there, (col, row) the window pixel it lies in.
    for (int py = 0; py < h * scale; ++py)
        for (int px = 0; px < w * scale; ++px) {
            const double x = (px + 0.5) / scale, y = (py + 0.5) / scale;
            const int col = px / scale, row = py / scale;
            const double fy = (y - face.top()) / face.height();
            QColor c;
            switch (look) {
            case Look::Normal:
                // White, with a faint cool shade along the bottom.
                c = mix(QColor(255, 255, 255), QColor(238, 244, 252), smoothstep(0.62, 1.0, fy));
                break;
            case Look::Hover:
                c = mix(QColor(241, 242, 239), QColor(217, 223, 228),
                        smoothstep(0.15, 1.0, rimDistance(x, y, face)));
                break;
            case Look::Pressed:
                c = mix(QColor(196, 196, 197), QColor(201, 201, 202), fy);
                // Sunken: a shadow under the top and left of the frame.
                if (row == inset)
                    c = QColor(172, 174, 178);
                else if (row == inset + 1 || col == inset)
                    c = mix(c, QColor(172, 174, 178), 0.5);
                break;
            }
            img.setPixel(px, py, c.rgb());
        }
    drawRings(img, rings, scale);

    const GlyphShape shape = glyphShape(glyph);
    const QPoint origin = glyphOrigin(shape.box, normalSize, look);
    QLinearGradient shade(0, origin.y(), 0, origin.y() + shape.box.height());
    switch (look) {
    case Look::Normal:
        shade.setColorAt(0, QColor(104, 152, 224));
        shade.setColorAt(1, QColor(38, 92, 190));
        break;
    case Look::Hover:
        shade.setColorAt(0, QColor(86, 164, 255));
        shade.setColorAt(1, QColor(22, 108, 238));
        break;
    case Look::Pressed:
        shade.setColorAt(0, QColor(82, 100, 124));
        shade.setColorAt(1, QColor(62, 80, 104));
        break;
    }
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawPath(shape.path.translated(origin));
    return img;
}

QImage titleBar(const QRawFont &lettering, int scale)
{
    constexpr int w = 640, h = 22;
    const QColor outlineTop(22, 78, 192), outlineBottom(44, 97, 200);
    const QColor innerLine(173, 200, 239), fill(122, 166, 224), fillBright(176, 206, 243);

    // Lines are whole window pixels; the fill's gradient is sampled at every
    // picture pixel's centre.
    QImage img(w * scale, h * scale, QImage::Format_RGB32);
    for (int py = 0; py < h * scale; ++py) {
        const int y = py / scale;
        const QColor outline = mix(outlineTop, outlineBottom, double(y) / (h - 1));
        for (int px = 0; px < w * scale; ++px) {
            const int x = px / scale;
            QColor c;
            if (y == 0 || y == h - 1 || x == 0 || x == w - 1)
                c = outline;
            else if (y == 1 || y == h - 2 || x == 1 || x == w - 2)
                c = innerLine;
            else
                c = mix(fill, fillBright, smoothstep(330, 600, (px + 0.5) / scale - 0.5));
            img.setPixel(px, py, c.rgb());
        }
    }

    // The lettering fills columns 491 to 634 and rows 6 to 16 exactly: the
    // run is spaced out to the width at its natural proportions, then fitted.
    const QRectF target(491, 6, 144, 11);
    const QString name = QStringLiteral("Kavro Media Player");
    constexpr double smallRatio = 0.8;
    QPainterPath path = smallCapsPath(lettering, name, smallRatio, 0);
    const double natural = path.boundingRect().width() * target.height() / path.boundingRect().height();
    if (natural < target.width()) {
        const double extra = (target.width() - natural) / (name.size() - 1);
        path = smallCapsPath(lettering, name, smallRatio,
                             extra * path.boundingRect().height() / target.height());
    }
    const QRectF bounds = path.boundingRect();
    QTransform fit;
    fit.scale(scale, scale);
    fit.translate(target.left(), target.top());
    fit.scale(target.width() / bounds.width(), target.height() / bounds.height());
    fit.translate(-bounds.left(), -bounds.top());
    path = fit.map(path);

    QImage mask(w * scale, h * scale, QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(path, QColor(255, 255, 255));
    }
    // The halo: the lettering's shape spread out and brought up again, so it
    // is dense next to the letters and fades within two pixels.
    QImage halo = blurred(mask, 1.4 * scale);
    for (int y = 0; y < halo.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(halo.scanLine(y));
        for (int x = 0; x < halo.width(); ++x) {
            const int a = std::min(255, qAlpha(line[x]) * 5 / 2);
            line[x] = qRgba(a, a, a, a);
        }
    }

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(0, 0, halo);
    p.fillPath(path, QColor(10, 36, 89));
    return img;
}

QImage sideEdge()
{
    QImage img(1, 60, QImage::Format_RGB32);
    for (int y = 0; y < 58; ++y)
        img.setPixel(0, y, mix(QColor(73, 96, 146), QColor(149, 170, 189), y / 57.0).rgb());
    img.setPixel(0, 58, qRgb(124, 170, 220));
    img.setPixel(0, 59, qRgb(129, 175, 225));
    return img;
}

QImage bottomEdge()
{
    QImage img(640, 3, QImage::Format_RGB32);
    img.fill(qRgb(255, 255, 255));
    for (int y = 0; y < 2; ++y) {
        img.setPixel(0, y, qRgb(126, 169, 231));
        img.setPixel(639, y, qRgb(126, 169, 231));
    }
    for (int x = 0; x < 640; ++x)
        img.setPixel(x, 2, qRgb(127, 170, 232));
    return img;
}

QImage bottomRight()
{
    // Laid over the bottom edge's blue row; the grey-blue line grows out of
    // that blue over the first pixels so the two meet without a step.
    QImage img(97, 7, QImage::Format_RGB32);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 97; ++x) {
            QColor c = mix(QColor(253, 254, 255), QColor(244, 247, 251), y / 6.0);
            if (y == 3)
                c = mix(QColor(127, 170, 232), QColor(150, 168, 190), smoothstep(0, 10, x));
            img.setPixel(x, y, c.rgb());
        }
    return img;
}

} // namespace artgen
