// Drawing helpers of the artwork generator: colour mixing, blur and text outlines from font files.
#include "artgen.h"

#include <QFile>
#include <QList>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace artgen {

QColor mix(const QColor &a, const QColor &b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    auto ch = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(ch(a.red(), b.red()), ch(a.green(), b.green()), ch(a.blue(), b.blue()),
                  ch(a.alpha(), b.alpha()));
}

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

QImage blurred(const QImage &argb, double radius)
{
    // Separable Gaussian over premultiplied pixels, so colour and coverage
    // spread together; pixels past the border count as transparent.
    const QImage src = argb.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = src.width(), h = src.height();
    const int reach = int(std::ceil(radius * 3));
    QList<double> kernel(2 * reach + 1);
    double sum = 0;
    for (int i = -reach; i <= reach; ++i)
        sum += kernel[i + reach] = std::exp(-(i * i) / (2 * radius * radius));
    for (double &k : kernel)
        k /= sum;

    QList<double> a(qsizetype(w) * h * 4), b(qsizetype(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb p = reinterpret_cast<const QRgb *>(src.constScanLine(y))[x];
            double *d = &a[(qsizetype(y) * w + x) * 4];
            d[0] = qRed(p), d[1] = qGreen(p), d[2] = qBlue(p), d[3] = qAlpha(p);
        }
    auto pass = [&](const QList<double> &in, QList<double> &out, bool horizontal) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                double acc[4] = {0, 0, 0, 0};
                for (int i = -reach; i <= reach; ++i) {
                    const int sx = horizontal ? x + i : x, sy = horizontal ? y : y + i;
                    if (sx < 0 || sy < 0 || sx >= w || sy >= h)
                        continue;
                    const double *s = &in[(qsizetype(sy) * w + sx) * 4];
                    for (int c = 0; c < 4; ++c)
                        acc[c] += s[c] * kernel[i + reach];
                }
                double *d = &out[(qsizetype(y) * w + x) * 4];
                for (int c = 0; c < 4; ++c)
                    d[c] = acc[c];
            }
    };
    pass(a, b, true);
    pass(b, a, false);

    QImage result(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double *s = &a[(qsizetype(y) * w + x) * 4];
            auto c = [](double v) { return std::clamp(int(std::lround(v)), 0, 255); };
            const int al = c(s[3]);
            reinterpret_cast<QRgb *>(result.scanLine(y))[x] =
                qRgba(std::min(c(s[0]), al), std::min(c(s[1]), al), std::min(c(s[2]), al), al);
        }
    return result;
}

QRawFont fontFile(const QString &path, double pixelSize)
{
    QRawFont font;
    if (QFile::exists(path))
        font.loadFromFile(path, pixelSize, QFont::PreferNoHinting);
    if (!font.isValid()) {
        std::fprintf(stderr, "artgen: cannot load the font file %s\n", qPrintable(path));
        std::exit(1);
    }
    return font;
}

QPainterPath textPath(const QRawFont &font, const QString &text, double tracking)
{
    const QList<quint32> glyphs = font.glyphIndexesForString(text);
    const QList<QPointF> advances = font.advancesForGlyphIndexes(
        glyphs, QRawFont::SeparateAdvances | QRawFont::KernedAdvances | QRawFont::UseDesignMetrics);
    QPainterPath path;
    double x = 0;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        path.addPath(font.pathForGlyph(glyphs[i]).translated(x, 0));
        x += advances[i].x() + tracking;
    }
    return path;
}

QPainterPath smallCapsPath(const QRawFont &font, const QString &text, double smallRatio,
                           double tracking)
{
    QPainterPath path;
    double x = 0;
    for (const QChar ch : text) {
        const bool small = ch.isLower();
        const QString letter(ch.toUpper());
        const double scale = small ? smallRatio : 1.0;
        const QList<quint32> glyphs = font.glyphIndexesForString(letter);
        const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
        if (glyphs.isEmpty())
            continue;
        QTransform t;
        t.translate(x, 0);
        t.scale(scale, scale);
        path.addPath(t.map(font.pathForGlyph(glyphs[0])));
        x += advances[0].x() * scale + tracking;
    }
    return path;
}

} // namespace artgen
