// The about window's logo (a lime slab with the product name) and the application icon.
#include "artgen.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <QTransform>

namespace artgen {

QImage aboutLogo(const QRawFont &script)
{
    constexpr int w = 196, h = 63;
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(255, 251, 240));

    // The slab is laid out flat and then tipped away from the viewer: its
    // far (top) side is a little shorter than the near one.
    const QRectF flat(0, 0, 176, 40);
    QPainterPath slabFlat;
    slabFlat.addRoundedRect(flat, 9, 9);
    const QPolygonF quad{QPointF(12, 6), QPointF(180, 5), QPointF(185, 47), QPointF(6, 49)};
    const QPolygonF corners{flat.topLeft(), flat.topRight(), flat.bottomRight(), flat.bottomLeft()};
    QTransform tilt;
    if (!QTransform::quadToQuad(corners, quad, tilt))
        qFatal("artgen: the logo's slab cannot be tipped");
    const QPainterPath slab = tilt.map(slabFlat);

    // Soft shadow on the cream below.
    {
        QImage shadow(w, h, QImage::Format_ARGB32_Premultiplied);
        shadow.fill(Qt::transparent);
        QPainter p(&shadow);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(slab.translated(4, 8), QColor(90, 90, 80, 140));
        p.end();
        QPainter q(&img);
        q.drawImage(0, 0, blurred(shadow, 2.6));
    }

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    // The slab's thickness, seen along its bottom and right sides.
    QPainterPath body;
    for (int i = 1; i <= 8; ++i)
        body = body.united(slab.translated(3.0 * i / 8, 5.0 * i / 8));
    QLinearGradient side(0, 20, 0, 52);
    side.setColorAt(0, QColor(122, 170, 16));
    side.setColorAt(1, QColor(84, 128, 10));
    p.setPen(QPen(QColor(70, 108, 8), 0.8));
    p.setBrush(side);
    p.drawPath(body);

    // The top face, a touch brighter towards the upper left.
    QLinearGradient top(20, 3, 150, 47);
    top.setColorAt(0, QColor(198, 244, 54));
    top.setColorAt(0.45, QColor(190, 240, 30));
    top.setColorAt(1, QColor(178, 230, 22));
    p.setPen(QPen(QColor(132, 180, 14), 0.8));
    p.setBrush(top);
    p.drawPath(slab);
    // A thin highlight just inside the rim.
    p.setPen(QPen(QColor(240, 255, 190, 170), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tilt.map([&] {
        QPainterPath inner;
        inner.addRoundedRect(flat.adjusted(1.5, 1.2, -1.5, -1.2), 8, 8);
        return inner;
    }()));

    // The name, centred on the slab and tipped with it.
    QPainterPath name = textPath(script, QStringLiteral("Kavro"), 0);
    const QRectF nb = name.boundingRect();
    const double scale = 31.0 / nb.height();
    QTransform place;
    place.translate(flat.center().x(), flat.center().y());
    place.scale(scale, scale);
    place.translate(-nb.center().x(), -nb.center().y());
    name = tilt.map(place.map(name));

    // Cut into the surface: light catches the lower right wall of the cut,
    // the upper left wall lies in shadow.
    // The pen thickens the script's hairlines a little so they hold at this size.
    p.setPen(QPen(QColor(236, 255, 160), 0.7));
    p.setBrush(QColor(236, 255, 160));
    p.drawPath(name.translated(0.8, 0.9));
    p.setPen(QPen(QColor(74, 98, 24, 200), 0.7));
    p.setBrush(QColor(74, 98, 24, 200));
    p.drawPath(name.translated(-0.6, -0.6));
    QLinearGradient ink(0, name.boundingRect().top(), 0, name.boundingRect().bottom());
    ink.setColorAt(0, QColor(128, 154, 46));
    ink.setColorAt(1, QColor(112, 136, 88));
    p.setPen(QPen(QBrush(ink), 0.7));
    p.setBrush(ink);
    p.drawPath(name);
    p.end();
    return img.convertToFormat(QImage::Format_RGB32);
}

QImage mainIcon(const QRawFont &sansBold)
{
    QImage img(52, 48, QImage::Format_RGB32);
    img.fill(qRgb(255, 255, 255));
    QPainterPath k = textPath(sansBold, QStringLiteral("K"));
    const QRectF kb = k.boundingRect();
    // 23 x 24 pixels, centred; the stem's left side falls on a pixel edge.
    const QRectF target(15, 12, 23, 24);
    QTransform fit;
    fit.translate(target.left(), target.top());
    fit.scale(target.width() / kb.width(), target.height() / kb.height());
    fit.translate(-kb.left(), -kb.top());
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(fit.map(k), QColor(63, 71, 204));
    return img;
}

} // namespace artgen
