// Menu glyphs: small pictures on white (the menu's transparent colour) for the context menu items.
#include "artgen.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>

namespace artgen {
namespace {

QImage canvas(int w = 16, int h = 16)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(qRgb(255, 255, 255));
    return img;
}

// The menu keys out pure white only, so near-white edge pixels are turned
// into white rather than left as a pale fringe on a grey menu.
QImage finish(const QImage &img)
{
    QImage out = img.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QRgb c = out.pixel(x, y);
            if (std::min({qRed(c), qGreen(c), qBlue(c)}) >= 246)
                out.setPixel(x, y, qRgb(255, 255, 255));
        }
    return out;
}

QLinearGradient vertical(double top, double bottom, const QColor &a, const QColor &b)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

QRadialGradient disc(QPointF centre, double radius, const QColor &light, const QColor &mid,
                     const QColor &dark)
{
    // Lit from the upper left.
    QRadialGradient g(centre, radius, centre - QPointF(radius * 0.4, radius * 0.45));
    g.setColorAt(0, light);
    g.setColorAt(0.55, mid);
    g.setColorAt(1, dark);
    return g;
}

const QColor kBlueLight(120, 176, 246), kBlueDark(24, 82, 196), kBlueEdge(18, 62, 158);

// The transport glyphs share one look: a shaded blue shape with a dark rim.
QImage blueShape(const QPainterPath &shape)
{
    QImage img = canvas();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kBlueEdge, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(vertical(shape.boundingRect().top(), shape.boundingRect().bottom(), kBlueLight, kBlueDark));
    p.drawPath(shape);
    return finish(img);
}

} // namespace

QImage glyphOpen()
{
    QImage img = canvas();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor edge(156, 106, 16);

    // Back of the folder with its tab.
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(5.5, 3.5);
    back.lineTo(7, 5);
    back.lineTo(12.5, 5);
    back.lineTo(12.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.setPen(QPen(edge, 1));
    p.setBrush(vertical(3.5, 13.5, QColor(246, 200, 78), QColor(218, 158, 34)));
    p.drawPath(back);

    // A sheet of paper standing in it.
    p.setPen(QPen(QColor(150, 150, 150), 1));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(3.5, 2.5, 8, 6));
    p.setPen(QPen(QColor(180, 190, 205), 1));
    p.drawLine(QPointF(5, 4.5), QPointF(10, 4.5));
    p.drawLine(QPointF(5, 6.5), QPointF(10, 6.5));

    // The front, swung open towards the viewer.
    QPainterPath front;
    front.moveTo(4, 7.5);
    front.lineTo(15.5, 7.5);
    front.lineTo(12.5, 13.5);
    front.lineTo(1.5, 13.5);
    front.closeSubpath();
    p.setPen(QPen(edge, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(vertical(7.5, 13.5, QColor(255, 238, 140), QColor(250, 202, 66)));
    p.drawPath(front);
    p.end();
    return finish(img);
}

QImage glyphPlay()
{
    QPainterPath p;
    p.moveTo(4.5, 2.5);
    p.lineTo(12.5, 8);
    p.lineTo(4.5, 13.5);
    p.closeSubpath();
    return blueShape(p);
}

QImage glyphPause()
{
    QPainterPath p;
    p.addRect(QRectF(3.5, 2.5, 3, 11));
    p.addRect(QRectF(9.5, 2.5, 3, 11));
    return blueShape(p);
}

QImage glyphStop()
{
    QPainterPath p;
    p.addRect(QRectF(3.5, 3.5, 9, 9));
    return blueShape(p);
}

QImage glyphReport()
{
    QImage img = canvas();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(8, 8);
    p.setPen(QPen(QColor(150, 16, 16), 1));
    p.setBrush(disc(c, 7, QColor(255, 140, 120), QColor(226, 44, 34), QColor(176, 16, 12)));
    p.drawEllipse(c, 6.6, 6.6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    // Whole pixels for the mark, so it stays sharp.
    p.drawRect(QRectF(7, 3, 2, 6.5));
    p.drawEllipse(QPointF(8, 11.6), 1.2, 1.2);
    p.end();
    return finish(img);
}

QImage glyphUpdate()
{
    QImage img = canvas();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath bolt;
    bolt.moveTo(10, 0.8);
    bolt.lineTo(3, 9.2);
    bolt.lineTo(7.2, 9.2);
    bolt.lineTo(5.2, 15.2);
    bolt.lineTo(13.2, 6.2);
    bolt.lineTo(8.8, 6.2);
    bolt.lineTo(11.8, 0.8);
    bolt.closeSubpath();
    p.setPen(QPen(QColor(196, 120, 0), 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(vertical(0.8, 15.2, QColor(255, 246, 120), QColor(252, 186, 16)));
    p.drawPath(bolt);
    p.end();
    return finish(img);
}

QImage glyphCoin()
{
    QImage img = canvas(20, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A coin tipped back and turned: an ellipse with its milled rim showing
    // below and to the right.
    p.translate(9.5, 7.5);
    p.rotate(-18);
    const QColor rim(168, 112, 8), rimEdge(120, 78, 4);
    p.setPen(QPen(rimEdge, 1));
    p.setBrush(rim);
    for (double d = 2.2; d > 0; d -= 0.55)
        p.drawEllipse(QPointF(d * 0.35, d), 8.2, 5.4);
    QLinearGradient face(-6, -5, 6, 5);
    face.setColorAt(0, QColor(255, 240, 150));
    face.setColorAt(0.5, QColor(250, 206, 60));
    face.setColorAt(1, QColor(222, 160, 20));
    p.setPen(QPen(QColor(150, 98, 6), 1));
    p.setBrush(face);
    p.drawEllipse(QPointF(0, 0), 8.2, 5.4);
    // Raised inner ring.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(196, 136, 14), 0.9));
    p.drawEllipse(QPointF(0, 0), 5.6, 3.5);
    p.setPen(QPen(QColor(255, 246, 190), 0.7));
    p.drawArc(QRectF(-5.2, -3.1, 10.4, 6.2), 30 * 16, 120 * 16);
    p.end();
    return finish(img);
}

QImage glyphAbout()
{
    QImage img = canvas();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(8, 8);
    p.setPen(QPen(kBlueEdge, 1));
    p.setBrush(disc(c, 7, QColor(150, 196, 255), QColor(48, 110, 222), QColor(20, 70, 180)));
    p.drawEllipse(c, 6.6, 6.6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(QPointF(8, 4.3), 1.25, 1.25);
    // A serifed lower-case i on whole pixels.
    QPainterPath stem;
    stem.moveTo(6, 6);
    stem.lineTo(9, 6);
    stem.lineTo(9, 11);
    stem.lineTo(10, 11);
    stem.lineTo(10, 12);
    stem.lineTo(6, 12);
    stem.lineTo(6, 11);
    stem.lineTo(7, 11);
    stem.lineTo(7, 7);
    stem.lineTo(6, 7);
    stem.closeSubpath();
    p.drawPath(stem);
    p.end();
    return finish(img);
}

QImage glyphExit()
{
    QImage img = canvas();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath cross;
    cross.moveTo(3.5, 3.5);
    cross.lineTo(12.5, 12.5);
    cross.moveTo(12.5, 3.5);
    cross.lineTo(3.5, 12.5);
    p.setPen(QPen(QColor(150, 14, 10), 4.4, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(cross);
    QLinearGradient red(0, 2, 0, 14);
    red.setColorAt(0, QColor(255, 110, 90));
    red.setColorAt(1, QColor(214, 28, 18));
    p.setPen(QPen(QBrush(red), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(cross);
    p.end();
    return finish(img);
}

} // namespace artgen
