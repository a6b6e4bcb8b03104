// Pictures by resource name through the registered readers, and the named colours.
#pragma once

#include <QByteArrayView>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>
#include <functional>
#include <optional>

class TPicture
{
public:
    using Reader = std::function<QImage(QByteArrayView)>;
    // Makes a picture format available: files whose first bytes are `signature`
    // are read by `reader`. Device-independent bitmaps are known from the start.
    static void RegisterFileFormat(const QString &extension, QByteArray signature, Reader reader);
    // Decodes bytes by their signature; raises EInvalidGraphic.
    static QImage decode(QByteArrayView bytes, const QString &name = {});
    // Makes the PNG and JPEG readers available beside the bitmap reader.
    static void RegisterPngAndJpeg();
    // Loads and decodes a picture stored in the program under `name`.
    static QImage fromResource(const QString &name);
    // The form of `picture` to draw on a device of the given pixel ratio: for
    // a ratio above 1, the same picture drawn at twice the size, if the
    // program has one ("play.bmp" beside "play@2x.bmp"; read at first need,
    // device pixel ratio 2); otherwise `picture` itself. Copies of a picture
    // find it too, as long as their pixels are left unchanged.
    static QImage forScale(const QImage &picture, qreal scale);
};

// How many device pixels a window pixel takes where `painter` draws: the
// pixel ratio of the device its engine really paints on (a widget's paint
// may be redirected to an image of another ratio).
qreal paintScale(QPainter &painter);

// Colour identifiers of the form descriptions (clCream, clSilver, clBtnHighlight, ...).
// System colours follow the desktop's palette.
std::optional<QColor> colorFromIdent(const QString &ident);
