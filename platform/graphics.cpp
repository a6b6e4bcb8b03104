// The picture format registry and the colour identifier table.
#include "platform/graphics.h"

#include "platform/exceptions.h"
#include "platform/pictures.h"

#include <QApplication>
#include <QFile>
#include <QPaintEngine>
#include <QPalette>
#include <unordered_map>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
struct Format
{
    QString extension;
    QByteArray signature;
    TPicture::Reader reader;
};

std::vector<Format> &formats()
{
    static std::vector<Format> table{{u"bmp"_s, QByteArrayLiteral("BM"), &readBmp}};
    return table;
}

// Pictures read from the resources, keyed by their pixel data (shared by all
// copies), with the name they came from and, once looked for, the same picture
// at twice the size.
struct Origin
{
    QString name;
    bool looked = false;
    QImage doubled;
};

std::unordered_map<qint64, Origin> &origins()
{
    static std::unordered_map<qint64, Origin> table;
    return table;
}

QImage readResource(const QString &name)
{
    QFile file(u":/pictures/"_s + name);
    if (!file.open(QIODevice::ReadOnly))
        throw EInvalidGraphic(u"Picture %1 not found"_s.arg(name));
    const QByteArray bytes = file.readAll();
    try {
        return TPicture::decode(bytes, name);
    } catch (const EInvalidGraphic &e) {
        throw EInvalidGraphic(u"%1: %2"_s.arg(name, e.message()));
    }
}
} // namespace

void TPicture::RegisterFileFormat(const QString &extension, QByteArray signature, Reader reader)
{
    formats().push_back({extension, std::move(signature), std::move(reader)});
}

void TPicture::RegisterPngAndJpeg()
{
    RegisterFileFormat(u"png"_s, QByteArray("\x89PNG\r\n\x1a\n", 8), &readPng);
    RegisterFileFormat(u"jpg"_s, QByteArray("\xFF\xD8", 2), &readJpeg);
}

QImage TPicture::decode(QByteArrayView bytes, const QString &name)
{
    for (const Format &f : formats())
        if (bytes.startsWith(f.signature))
            return f.reader(bytes);
    throw EInvalidGraphic(name.isEmpty() ? u"Unknown picture format"_s
                                         : u"Unknown picture format in %1"_s.arg(name));
}

QImage TPicture::fromResource(const QString &name)
{
    QImage picture = readResource(name);
    origins()[picture.cacheKey()] = Origin{name, false, {}};
    return picture;
}

QImage TPicture::forScale(const QImage &picture, qreal scale)
{
    if (scale <= 1.0 || picture.isNull())
        return picture;
    const auto found = origins().find(picture.cacheKey());
    if (found == origins().end())
        return picture;
    Origin &origin = found->second;
    if (!origin.looked) {
        origin.looked = true;
        const qsizetype dot = origin.name.lastIndexOf(u'.');
        QString name = origin.name;
        name.insert(dot < 0 ? name.size() : dot, u"@2x"_s);
        // A missing or unreadable larger picture is no fault: the ordinary one serves.
        if (QFile::exists(u":/pictures/"_s + name)) {
            try {
                QImage doubled = readResource(name);
                if (doubled.size() == picture.size() * 2) {
                    doubled.setDevicePixelRatio(2);
                    origin.doubled = doubled;
                }
            } catch (const EInvalidGraphic &e) {
                qWarning("%s", qPrintable(e.message()));
            }
        }
    }
    return origin.doubled.isNull() ? picture : origin.doubled;
}

qreal paintScale(QPainter &painter)
{
    const QPaintEngine *engine = painter.paintEngine();
    const QPaintDevice *device = engine && engine->paintDevice() ? engine->paintDevice() : painter.device();
    return device ? device->devicePixelRatioF() : 1.0;
}

std::optional<QColor> colorFromIdent(const QString &ident)
{
    struct Named
    {
        const char16_t *name;
        QRgb rgb;
    };
    static constexpr Named fixed[] = {
        {u"clBlack", 0x000000},  {u"clMaroon", 0x800000}, {u"clGreen", 0x008000},
        {u"clOlive", 0x808000},  {u"clNavy", 0x000080},   {u"clPurple", 0x800080},
        {u"clTeal", 0x008080},   {u"clGray", 0x808080},   {u"clSilver", 0xC0C0C0},
        {u"clRed", 0xFF0000},    {u"clLime", 0x00FF00},   {u"clYellow", 0xFFFF00},
        {u"clBlue", 0x0000FF},   {u"clFuchsia", 0xFF00FF}, {u"clAqua", 0x00FFFF},
        {u"clWhite", 0xFFFFFF},  {u"clCream", 0xFFFBF0},  {u"clMoneyGreen", 0xC0DCC0},
        {u"clSkyBlue", 0xA6CAF0}, {u"clMedGray", 0xA0A0A4},
    };
    for (const Named &n : fixed)
        if (ident == QString::fromUtf16(n.name))
            return QColor::fromRgb(n.rgb);
    struct System
    {
        const char16_t *name;
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
    };
    static constexpr System system[] = {
        {u"clBtnFace", QPalette::Active, QPalette::Button},
        {u"clBtnHighlight", QPalette::Active, QPalette::Light},
        {u"clBtnShadow", QPalette::Active, QPalette::Mid},
        {u"clBtnText", QPalette::Active, QPalette::ButtonText},
        {u"clWindow", QPalette::Active, QPalette::Base},
        {u"clWindowText", QPalette::Active, QPalette::WindowText},
        {u"clHighlight", QPalette::Active, QPalette::Highlight},
        {u"clHighlightText", QPalette::Active, QPalette::HighlightedText},
        {u"clInactiveBorder", QPalette::Inactive, QPalette::Window},
        {u"clGrayText", QPalette::Disabled, QPalette::Text},
    };
    for (const System &s : system)
        if (ident == QString::fromUtf16(s.name))
            return QApplication::palette().color(s.group, s.role);
    return std::nullopt;
}
