// Shared declarations of the artwork generator: file writers, drawing helpers and the picture makers.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRawFont>
#include <QString>

namespace artgen {

// File writers. Each writes the exact format our readers expect and returns
// false (with a message on stderr) when the file cannot be written.
bool writeBmp24(const QString &path, const QImage &image);
bool writeBmp8(const QString &path, const QImage &image);
bool writePngRgb(const QString &path, const QImage &image);
bool writeJpeg(const QString &path, const QImage &image, int quality);

// Drawing helpers.
QColor mix(const QColor &a, const QColor &b, double t);
double smoothstep(double edge0, double edge1, double x);
QImage blurred(const QImage &argb, double radius);
// Text is drawn from outlines of a font file named outright (not looked up
// by family), so every run on every machine with that file draws the same.
// Exits the program when the file cannot be used.
QRawFont fontFile(const QString &path, double pixelSize);
// The outline of a text run, baseline at y 0, pen starting at x 0; tracking
// is extra space after each letter.
QPainterPath textPath(const QRawFont &font, const QString &text, double tracking = 0);
// Small capitals: capitals as they are, the other letters as capitals scaled
// down by smallRatio.
QPainterPath smallCapsPath(const QRawFont &font, const QString &text, double smallRatio,
                           double tracking);

// Skin: buttons, title and edges.
enum class Glyph { Prev, Pause, Play, Stop, Next };
enum class Look { Normal, Hover, Pressed };
// Buttons and the title are drawn at `scale` picture pixels a window pixel:
// 1 for ordinary screens, 2 for screens at twice the density.
QImage skinButton(Glyph glyph, Look look, QSize size, QSize normalSize, int scale);
QImage titleBar(const QRawFont &lettering, int scale);
QImage sideEdge();
QImage bottomEdge();
QImage bottomRight();

// Menu glyphs.
QImage glyphOpen();
QImage glyphPlay();
QImage glyphPause();
QImage glyphStop();
QImage glyphReport();
QImage glyphUpdate();
QImage glyphCoin();
QImage glyphAbout();
QImage glyphExit();

// About window logo and application icon.
QImage aboutLogo(const QRawFont &script);
QImage mainIcon(const QRawFont &sansBold);

} // namespace artgen
