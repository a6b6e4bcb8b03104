// Pictures by resource name through the registered readers, and the named colours.
#pragma once

#include <QByteArrayView>
#include <QColor>
#include <QImage>
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
};

// Colour identifiers of the form descriptions (clCream, clSilver, clBtnHighlight, ...).
// System colours follow the desktop's palette.
std::optional<QColor> colorFromIdent(const QString &ident);
