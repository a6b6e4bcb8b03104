// Entry of the artwork generator: draws every picture and writes it into the given resources folder.
#include "artgen.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QStringList>

#include <cstdio>
#include <functional>

using namespace artgen;

namespace {

const QString kFontDir = QStringLiteral("/usr/share/fonts/opentype/urw-base35/");

struct Button {
    const char *name;
    Glyph glyph;
    QSize normal, hover, pressed;
    QPoint place;  // left, top in the player window
};

// Sizes as the player window's skin table has them.
const Button kButtons[] = {
    {"prev", Glyph::Prev, {33, 27}, {35, 28}, {35, 28}, {7, 32}},
    {"pause", Glyph::Pause, {32, 28}, {32, 28}, {34, 28}, {40, 31}},
    {"play", Glyph::Play, {32, 26}, {34, 26}, {34, 28}, {72, 32}},
    {"stop", Glyph::Stop, {32, 26}, {34, 28}, {34, 28}, {103, 32}},
    {"next", Glyph::Next, {32, 28}, {34, 28}, {35, 28}, {135, 31}},
};

// The player window's strip as it looks at start-up, for judging the
// pictures together: painted in the window's creation order, each picture
// cut to its box. Read back from the written files, so JPEG losses show.
QImage windowPreview(const QDir &dir)
{
    QImage win(640, 70, QImage::Format_RGB32);
    win.fill(qRgb(255, 251, 240));
    QPainter p(&win);
    auto put = [&](const QString &name, QRect box) {
        p.save();
        p.setClipRect(box.intersected(win.rect()));
        p.drawImage(box.topLeft(), QImage(dir.filePath(name)));
        p.restore();
    };
    put(QStringLiteral("prev_normal.bmp"), QRect(7, 32, 33, 28));
    put(QStringLiteral("pause_normal.bmp"), QRect(40, 31, 33, 30));
    put(QStringLiteral("next_normal.bmp"), QRect(135, 31, 33, 29));
    put(QStringLiteral("stop_normal.bmp"), QRect(103, 32, 33, 29));
    put(QStringLiteral("play_normal.bmp"), QRect(72, 32, 33, 29));
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(175, 31, 456, 28);
    p.drawText(QRect(175, 31, 457, 29), Qt::AlignCenter, QStringLiteral("0%"));
    put(QStringLiteral("title.png"), QRect(0, 0, 640, 25));
    put(QStringLiteral("edge_side.jpg"), QRect(0, 8, 9, 112));
    put(QStringLiteral("edge_side.jpg"), QRect(639, 10, 1, 105));
    put(QStringLiteral("edge_bottom.png"), QRect(0, 67, 633, 9));
    put(QStringLiteral("bottom_right.jpg"), QRect(559, 66, 98, 9));
    put(QStringLiteral("edge_side.jpg"), QRect(639, 18, 1, 105));
    return win;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.size() == 2 || args.size() > 3
        || (args.size() == 3 && args[1] != QStringLiteral("--preview"))) {
        std::fprintf(stderr, "usage: kavro-artgen OUTPUT_DIR [--preview WINDOW.png]\n");
        return 2;
    }
    const QDir out(args[0]);
    if (!out.exists()) {
        std::fprintf(stderr, "artgen: no folder %s\n", qPrintable(args[0]));
        return 1;
    }

    // Outlines are taken at a large size and scaled down to their boxes.
    const QRawFont lettering = fontFile(kFontDir + QStringLiteral("NimbusSans-BoldItalic.otf"), 200);
    const QRawFont script = fontFile(kFontDir + QStringLiteral("Z003-MediumItalic.otf"), 200);
    const QRawFont sansBold = fontFile(kFontDir + QStringLiteral("NimbusSans-Bold.otf"), 200);

    bool ok = true;
    auto save = [&](const QString &file, const QImage &img,
                    const std::function<bool(const QString &, const QImage &)> &writer) {
        ok = writer(out.filePath(file), img) && ok;
    };
    const auto bmp24 = &writeBmp24, bmp8 = &writeBmp8, png = &writePngRgb;
    const auto jpeg = [](const QString &path, const QImage &img) { return writeJpeg(path, img, 95); };

    // The player window's pictures come twice: as they are, and at twice the
    // size ("@2x") for screens at twice the density. Buttons and the title
    // are drawn again at that size; the edges are flat lines and gradients
    // with nothing finer than a window pixel, so theirs are enlarged pixel for pixel.
    for (const int scale : {1, 2}) {
        const QString suffix = scale == 1 ? QString() : QStringLiteral("@2x");
        for (const Button &b : kButtons) {
            const QString name = QString::fromLatin1(b.name);
            const QImage normal = skinButton(b.glyph, Look::Normal, b.normal, b.normal, scale);
            save(name + QStringLiteral("_normal") + suffix + QStringLiteral(".bmp"), normal, bmp24);
            save(name + QStringLiteral("_hover") + suffix + QStringLiteral(".bmp"),
                 skinButton(b.glyph, Look::Hover, b.hover, b.normal, scale), bmp24);
            save(name + QStringLiteral("_pressed") + suffix + QStringLiteral(".bmp"),
                 skinButton(b.glyph, Look::Pressed, b.pressed, b.normal, scale), bmp24);
            // Leaving restores the starting look, so it is the same picture.
            save(name + QStringLiteral("_leave") + suffix + QStringLiteral(".bmp"), normal, bmp24);
        }
        auto enlarged = [scale](const QImage &img) {
            return img.scaled(img.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        };
        save(QStringLiteral("title") + suffix + QStringLiteral(".png"), titleBar(lettering, scale), png);
        save(QStringLiteral("edge_side") + suffix + QStringLiteral(".jpg"), enlarged(sideEdge()), jpeg);
        save(QStringLiteral("edge_bottom") + suffix + QStringLiteral(".png"), enlarged(bottomEdge()), png);
        save(QStringLiteral("bottom_right") + suffix + QStringLiteral(".jpg"), enlarged(bottomRight()), jpeg);
    }
    save(QStringLiteral("mainicon.bmp"), mainIcon(sansBold), bmp24);
    save(QStringLiteral("logo.jpg"), aboutLogo(script), jpeg);

    save(QStringLiteral("glyph_open.bmp"), glyphOpen(), bmp8);
    save(QStringLiteral("glyph_play.bmp"), glyphPlay(), bmp8);
    save(QStringLiteral("glyph_pause.bmp"), glyphPause(), bmp8);
    save(QStringLiteral("glyph_stop.bmp"), glyphStop(), bmp8);
    save(QStringLiteral("glyph_report.bmp"), glyphReport(), bmp8);
    save(QStringLiteral("glyph_update.bmp"), glyphUpdate(), bmp8);
    save(QStringLiteral("glyph_coin.bmp"), glyphCoin(), bmp8);
    save(QStringLiteral("glyph_about.bmp"), glyphAbout(), bmp8);
    save(QStringLiteral("glyph_exit.bmp"), glyphExit(), bmp8);

    if (args.size() == 3 && !windowPreview(out).save(args[2])) {
        std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(args[2]));
        ok = false;
    }
    return ok ? 0 : 1;
}
