// Checks the pictures in resources/: file format, exact size and depth, and the key colours of each.
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <utility>

namespace {

enum Kind { Bmp24, Bmp8, Png, Jpeg };

QString picturePath(const QString &file)
{
    return QStringLiteral(KAVRO_SOURCE_DIR "/resources/") + file;
}

QByteArray fileBytes(const QString &file)
{
    QFile f(picturePath(file));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

quint32 le16(const QByteArray &b, int at)
{
    return quint8(b[at]) | quint32(quint8(b[at + 1])) << 8;
}

quint32 le32(const QByteArray &b, int at)
{
    return le16(b, at) | le16(b, at + 2) << 16;
}

quint32 be16(const QByteArray &b, int at)
{
    return quint32(quint8(b[at])) << 8 | quint8(b[at + 1]);
}

quint32 be32(const QByteArray &b, int at)
{
    return be16(b, at) << 16 | be16(b, at + 2);
}

QImage picture(const QString &file)
{
    return QImage(picturePath(file));
}

bool near(QRgb actual, const QColor &expected, int tolerance)
{
    return std::abs(qRed(actual) - expected.red()) <= tolerance
        && std::abs(qGreen(actual) - expected.green()) <= tolerance
        && std::abs(qBlue(actual) - expected.blue()) <= tolerance;
}

QByteArray describe(QRgb c)
{
    return QByteArray::number(qRed(c)) + ',' + QByteArray::number(qGreen(c)) + ','
        + QByteArray::number(qBlue(c));
}

QColor lerp(const QColor &a, const QColor &b, double t)
{
    return QColor(int(a.red() + (b.red() - a.red()) * t + 0.5),
                  int(a.green() + (b.green() - a.green()) * t + 0.5),
                  int(a.blue() + (b.blue() - a.blue()) * t + 0.5));
}

struct ButtonSizes {
    const char *name;
    QSize normal, hover, pressed;
};

const ButtonSizes kButtons[] = {
    {"prev", {33, 27}, {35, 28}, {35, 28}},
    {"pause", {32, 28}, {32, 28}, {34, 28}},
    {"play", {32, 26}, {34, 26}, {34, 28}},
    {"stop", {32, 26}, {34, 28}, {34, 28}},
    {"next", {32, 28}, {34, 28}, {35, 28}},
};

const char *const kGlyphs[] = {"open", "play", "pause", "stop", "report",
                               "update", "coin", "about", "exit"};

const QColor kNavy(10, 36, 89);

} // namespace

class TestArtwork : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void format_data();
    void format();
    void leaveIsNormal_data();
    void leaveIsNormal();
    void colour_data();
    void colour();
    void buttonFrame_data();
    void buttonFrame();
    void titleOutline();
    void titleLettering();
    void iconLetter();
    void doubled_data();
    void doubled();
};

void TestArtwork::format_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QSize>("size");

    for (const QString &suffix : {QString(), QStringLiteral("@2x")}) {
        const int k = suffix.isEmpty() ? 1 : 2;
        for (const ButtonSizes &b : kButtons) {
            const QString name = QString::fromLatin1(b.name);
            for (const auto &[look, size] : {std::pair{"normal", b.normal}, std::pair{"hover", b.hover},
                                             std::pair{"pressed", b.pressed}, std::pair{"leave", b.normal}}) {
                const QString file = name + u'_' + QString::fromLatin1(look) + suffix + QStringLiteral(".bmp");
                QTest::addRow("%s", qPrintable(file)) << file << int(Bmp24) << size * k;
            }
        }
        for (const auto &[base, ext, kind, size] :
             {std::tuple{"title", ".png", Png, QSize(640, 22)}, std::tuple{"edge_side", ".jpg", Jpeg, QSize(1, 60)},
              std::tuple{"edge_bottom", ".png", Png, QSize(640, 3)},
              std::tuple{"bottom_right", ".jpg", Jpeg, QSize(97, 7)}}) {
            const QString file = QString::fromLatin1(base) + suffix + QString::fromLatin1(ext);
            QTest::addRow("%s", qPrintable(file)) << file << int(kind) << size * k;
        }
    }
    QTest::newRow("mainicon.bmp") << QStringLiteral("mainicon.bmp") << int(Bmp24) << QSize(52, 48);
    QTest::newRow("logo.jpg") << QStringLiteral("logo.jpg") << int(Jpeg) << QSize(196, 63);
    for (const char *g : kGlyphs) {
        const QString file = QStringLiteral("glyph_") + QString::fromLatin1(g) + QStringLiteral(".bmp");
        const QSize size = qstrcmp(g, "coin") == 0 ? QSize(20, 16) : QSize(16, 16);
        QTest::addRow("%s", qPrintable(file)) << file << int(Bmp8) << size;
    }
}

void TestArtwork::format()
{
    QFETCH(QString, file);
    QFETCH(int, kind);
    QFETCH(QSize, size);

    QVERIFY2(QFile::exists(picturePath(file)), qPrintable(picturePath(file)));
    const QByteArray b = fileBytes(file);
    QVERIFY(b.size() > 32);

    switch (Kind(kind)) {
    case Bmp24:
    case Bmp8: {
        const int bits = kind == Bmp24 ? 24 : 8;
        QVERIFY(b.startsWith("BM"));
        QCOMPARE(le32(b, 2), quint32(b.size()));
        QCOMPARE(le32(b, 14), 40u); // BITMAPINFOHEADER
        QCOMPARE(int(le32(b, 18)), size.width());
        QCOMPARE(int(le32(b, 22)), size.height()); // positive: bottom-up
        QCOMPARE(le16(b, 26), 1u);
        QCOMPARE(int(le16(b, 28)), bits);
        QCOMPARE(le32(b, 30), 0u); // BI_RGB
        const quint32 colours = le32(b, 46);
        const quint32 palette = bits == 8 ? (colours == 0 ? 256 : colours) : colours;
        if (bits == 8)
            QVERIFY(palette >= 1 && palette <= 256);
        else
            QCOMPARE(colours, 0u);
        const quint32 stride = (quint32(size.width()) * bits / 8 + 3) & ~3u;
        QCOMPARE(le32(b, 10), 14 + 40 + 4 * palette);
        QCOMPARE(quint32(b.size()), le32(b, 10) + stride * quint32(size.height()));
        break;
    }
    case Png:
        QVERIFY(b.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)));
        QCOMPARE(be32(b, 8), 13u);
        QCOMPARE(b.mid(12, 4), QByteArray("IHDR"));
        QCOMPARE(int(be32(b, 16)), size.width());
        QCOMPARE(int(be32(b, 20)), size.height());
        QCOMPARE(int(quint8(b[24])), 8); // bits per channel
        QCOMPARE(int(quint8(b[25])), 2); // colour type: RGB, no alpha
        QCOMPARE(int(quint8(b[28])), 0); // not interlaced
        break;
    case Jpeg: {
        QVERIFY(b.startsWith(QByteArray("\xff\xd8\xff", 3)));
        // Walk the markers to the frame header; it must be baseline, 8-bit, colour.
        int at = 2;
        int frame = -1;
        while (at + 4 <= b.size() && quint8(b[at]) == 0xff) {
            const int marker = quint8(b[at + 1]);
            if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc) {
                frame = marker;
                break;
            }
            at += 2 + int(be16(b, at + 2));
        }
        QCOMPARE(frame, 0xc0);
        QVERIFY(at + 10 <= b.size());
        QCOMPARE(int(quint8(b[at + 4])), 8);
        QCOMPARE(int(be16(b, at + 5)), size.height());
        QCOMPARE(int(be16(b, at + 7)), size.width());
        QCOMPARE(int(quint8(b[at + 9])), 3);
        break;
    }
    }

    const QImage img = picture(file);
    QVERIFY2(!img.isNull(), qPrintable(file));
    QCOMPARE(img.size(), size);
    QVERIFY(!img.hasAlphaChannel());
}

void TestArtwork::leaveIsNormal_data()
{
    QTest::addColumn<QString>("name");
    for (const ButtonSizes &b : kButtons)
        QTest::newRow(b.name) << QString::fromLatin1(b.name);
}

void TestArtwork::leaveIsNormal()
{
    QFETCH(QString, name);
    const QByteArray normal = fileBytes(name + QStringLiteral("_normal.bmp"));
    QVERIFY(!normal.isEmpty());
    QCOMPARE(fileBytes(name + QStringLiteral("_leave.bmp")), normal);
}

void TestArtwork::colour_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("expected");
    QTest::addColumn<int>("tolerance");

    auto row = [](const char *what, const char *file, QPoint at, QColor expected, int tolerance) {
        QTest::newRow(what) << QString::fromLatin1(file) << at << expected << tolerance;
    };
    const QColor white(255, 255, 255);

    // Faces and glyphs of the three looks, on the stop button (a solid square glyph).
    row("normal face white", "stop_normal.bmp", {5, 13}, white, 4);
    row("normal face white (prev)", "prev_normal.bmp", {5, 10}, white, 4);
    row("normal glyph mid blue", "stop_normal.bmp", {16, 13}, QColor(70, 120, 205), 20);
    row("hover face rim light grey", "stop_hover.bmp", {2, 2}, QColor(217, 223, 228), 6);
    row("hover glyph bright blue", "stop_hover.bmp", {16, 13}, QColor(50, 130, 245), 25);
    row("pressed face mid grey", "stop_pressed.bmp", {5, 14}, QColor(198, 198, 198), 4);
    row("pressed face mid grey (pause)", "pause_pressed.bmp", {5, 14}, QColor(198, 198, 198), 4);
    row("pressed glyph slate", "stop_pressed.bmp", {17, 14}, QColor(70, 88, 112), 12);

    // Title: rim, inner line, fill at the left and brighter at the right.
    row("title outline top", "title.png", {320, 0}, QColor(22, 78, 192), 3);
    row("title outline bottom", "title.png", {320, 21}, QColor(44, 97, 200), 3);
    row("title inner line", "title.png", {320, 1}, QColor(173, 200, 239), 3);
    row("title fill", "title.png", {10, 10}, QColor(122, 166, 224), 4);
    row("title fill brighter right", "title.png", {625, 3}, QColor(175, 205, 242), 12);

    // Side edge: the run and its two light blue end pixels (JPEG, so a little give).
    row("side edge row 0", "edge_side.jpg", {0, 0}, QColor(73, 96, 146), 8);
    row("side edge row 57", "edge_side.jpg", {0, 57}, QColor(149, 170, 189), 8);
    row("side edge row 58", "edge_side.jpg", {0, 58}, QColor(124, 170, 220), 8);
    row("side edge row 59", "edge_side.jpg", {0, 59}, QColor(129, 175, 225), 8);
    row("side edge row 30", "edge_side.jpg", {0, 30}, QColor(113, 135, 169), 10);

    // Bottom edge.
    row("bottom edge left end", "edge_bottom.png", {0, 0}, QColor(126, 169, 231), 3);
    row("bottom edge right end", "edge_bottom.png", {639, 1}, QColor(126, 169, 231), 3);
    row("bottom edge row 0 white", "edge_bottom.png", {320, 0}, white, 0);
    row("bottom edge row 1 white", "edge_bottom.png", {5, 1}, white, 0);
    row("bottom edge row 2", "edge_bottom.png", {320, 2}, QColor(127, 170, 232), 3);
    row("bottom edge row 2 end", "edge_bottom.png", {0, 2}, QColor(127, 170, 232), 3);

    // Bottom right piece.
    row("bottom right line", "bottom_right.jpg", {48, 3}, QColor(150, 168, 190), 8);
    row("bottom right top", "bottom_right.jpg", {48, 0}, QColor(250, 252, 254), 10);
    row("bottom right bottom", "bottom_right.jpg", {48, 6}, QColor(246, 248, 252), 10);

    // Icon: white field, no see-through corners.
    row("icon top left", "mainicon.bmp", {0, 0}, white, 0);
    row("icon top right", "mainicon.bmp", {51, 0}, white, 0);
    row("icon bottom left", "mainicon.bmp", {0, 47}, white, 0);
    row("icon bottom right", "mainicon.bmp", {51, 47}, white, 0);
    row("icon letter middle", "mainicon.bmp", {26, 24}, QColor(63, 71, 204), 10);

    // Logo: cream ground and the lime slab beside the lettering.
    row("logo corner", "logo.jpg", {0, 0}, QColor(255, 251, 240), 6);
    row("logo far corner", "logo.jpg", {195, 62}, QColor(255, 251, 240), 8);
    row("logo slab", "logo.jpg", {30, 28}, QColor(190, 240, 30), 25);
    row("logo slab top", "logo.jpg", {98, 8}, QColor(190, 240, 30), 15);

    // Glyphs: white background at the bottom left (the menu's transparent
    // colour) and their own colour inside.
    for (const char *g : kGlyphs) {
        const QByteArray file = "glyph_" + QByteArray(g) + ".bmp";
        QTest::addRow("%s background", g) << QString::fromLatin1(file)
                                          << QPoint(0, 15) << white << 0;
    }
    const QColor blue(70, 125, 220), red(230, 62, 52), yellow(252, 212, 76);
    row("open folder yellow", "glyph_open.bmp", {8, 11}, yellow, 40);
    row("play blue", "glyph_play.bmp", {7, 8}, blue, 40);
    row("pause blue", "glyph_pause.bmp", {5, 8}, blue, 40);
    row("stop blue", "glyph_stop.bmp", {8, 8}, blue, 40);
    row("report red disc", "glyph_report.bmp", {4, 8}, red, 40);
    row("report white mark", "glyph_report.bmp", {8, 6}, white, 20);
    row("update yellow", "glyph_update.bmp", {8, 8}, yellow, 40);
    row("coin gold", "glyph_coin.bmp", {6, 6}, QColor(250, 220, 100), 45);
    row("about blue disc", "glyph_about.bmp", {4, 8}, blue, 40);
    row("about white i", "glyph_about.bmp", {8, 9}, white, 20);
    row("exit red", "glyph_exit.bmp", {8, 8}, red, 40);
}

void TestArtwork::colour()
{
    QFETCH(QString, file);
    QFETCH(QPoint, at);
    QFETCH(QColor, expected);
    QFETCH(int, tolerance);

    const QImage img = picture(file);
    QVERIFY2(!img.isNull(), qPrintable(file));
    QVERIFY(img.rect().contains(at));
    const QRgb actual = img.pixel(at);
    QVERIFY2(near(actual, expected, tolerance), describe(actual).constData());
}

void TestArtwork::buttonFrame_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("normalLook");
    for (const ButtonSizes &b : kButtons)
        for (const char *look : {"normal", "hover", "pressed"}) {
            const QByteArray file = QByteArray(b.name) + '_' + look + ".bmp";
            QTest::addRow("%s", file.constData()) << QString::fromLatin1(file) << (qstrcmp(look, "normal") == 0);
        }
}

void TestArtwork::buttonFrame()
{
    QFETCH(QString, file);
    QFETCH(bool, normalLook);

    const QImage img = picture(file);
    QVERIFY(!img.isNull());
    const int w = img.width(), h = img.height();
    const QColor outer = normalLook ? QColor(22, 78, 192) : QColor(39, 91, 196);
    // The outer line runs round the whole picture, including the columns that
    // a 33-wide box cuts off.
    for (const QPoint at : {QPoint(0, h / 2), QPoint(w - 1, h / 2), QPoint(w / 2, 0), QPoint(w / 2, h - 1),
                            QPoint(0, 0), QPoint(w - 1, h - 1)})
        QVERIFY2(near(img.pixel(at), outer, 4), qPrintable(file + u' ' + QString::number(at.x())
                                                          + u',' + QString::number(at.y())));
    if (!normalLook && file.contains(QStringLiteral("hover"))) {
        // The face glows: lighter towards the middle than at its rim.
        QVERIFY(near(img.pixel(2, 2), QColor(217, 223, 228), 6));
        QVERIFY(qGray(img.pixel(7, h / 2)) > qGray(img.pixel(2, 2)) + 3);
    }
    if (normalLook) {
        QVERIFY(near(img.pixel(1, h / 2), QColor(117, 163, 223), 4));
        QVERIFY(near(img.pixel(2, h / 2), QColor(172, 199, 239), 4));
        QVERIFY(near(img.pixel(w / 2, 1), QColor(117, 163, 223), 4));
        QVERIFY(near(img.pixel(w / 2, 2), QColor(172, 199, 239), 4));
    }
}

void TestArtwork::titleOutline()
{
    const QImage img = picture(QStringLiteral("title.png"));
    QCOMPARE(img.size(), QSize(640, 22));
    // The outline lightens evenly from top to bottom, on both ends.
    for (int y = 0; y < 22; ++y) {
        const QColor expected = lerp(QColor(22, 78, 192), QColor(44, 97, 200), y / 21.0);
        QVERIFY2(near(img.pixel(0, y), expected, 3), describe(img.pixel(0, y)).constData());
        QVERIFY2(near(img.pixel(639, y), expected, 3), describe(img.pixel(639, y)).constData());
    }
    for (int x = 0; x < 640; x += 13) {
        QVERIFY(near(img.pixel(x, 0), QColor(22, 78, 192), 3));
        QVERIFY(near(img.pixel(x, 21), QColor(44, 97, 200), 3));
    }
    for (int y = 1; y < 21; ++y) {
        QVERIFY(near(img.pixel(1, y), QColor(173, 200, 239), 3));
        QVERIFY(near(img.pixel(638, y), QColor(173, 200, 239), 3));
    }
    // The fill brightens towards the right end.
    QVERIFY(qGray(img.pixel(600, 4)) > qGray(img.pixel(100, 4)) + 20);
}

void TestArtwork::titleLettering()
{
    const QImage img = picture(QStringLiteral("title.png"));
    QRect ink;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (near(img.pixel(x, y), kNavy, 40))
                ink |= QRect(x, y, 1, 1);
    QVERIFY2(!ink.isEmpty(), "no navy lettering");
    // The lettering keeps to rows 6 to 16 and ends about 5 pixels short of
    // the right edge; nothing of it left of column 480.
    QVERIFY2(ink.top() >= 6 && ink.bottom() <= 16, qPrintable(QString::number(ink.top()) + u'-' + QString::number(ink.bottom())));
    QVERIFY2(ink.left() >= 480 && ink.left() <= 500, qPrintable(QString::number(ink.left())));
    QVERIFY2(ink.right() >= 626 && ink.right() <= 636, qPrintable(QString::number(ink.right())));
    QVERIFY(ink.height() >= 9);
    // The halo: the ground right next to the letters is lighter than the plain fill.
    int halo = 0;
    for (int x = 491; x <= 634; ++x)
        if (qGray(img.pixel(x, 5)) > qGray(img.pixel(420, 5)) + 15)
            ++halo;
    QVERIFY(halo > 20);
}

void TestArtwork::iconLetter()
{
    const QImage img = picture(QStringLiteral("mainicon.bmp"));
    QCOMPARE(img.size(), QSize(52, 48));
    QRect letter;
    int solid = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            if (c != qRgb(255, 255, 255))
                letter |= QRect(x, y, 1, 1);
            if (near(c, QColor(63, 71, 204), 10))
                ++solid;
        }
    // About 23 x 24 pixels, centred, and bold: well filled.
    QVERIFY2(std::abs(letter.width() - 23) <= 2 && std::abs(letter.height() - 24) <= 2,
             qPrintable(QString::number(letter.width()) + u'x' + QString::number(letter.height())));
    QVERIFY(std::abs(letter.center().x() - 26) <= 2);
    QVERIFY(std::abs(letter.center().y() - 24) <= 2);
    QVERIFY(solid > 150);
}

// The player window's pictures for screens at twice the density: the same
// design (halved, they match the ordinary picture), drawn at that size where
// the ordinary picture has detail finer than a window pixel, so not merely
// enlarged.
void TestArtwork::doubled_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("drawnAnew");
    // Pressed, the pause and stop glyphs are whole-pixel bars on a nearly flat
    // face: nothing there is finer than a window pixel.
    for (const ButtonSizes &b : kButtons)
        for (const char *look : {"normal", "hover", "pressed"}) {
            const bool flat = qstrcmp(look, "pressed") == 0
                && (qstrcmp(b.name, "pause") == 0 || qstrcmp(b.name, "stop") == 0);
            QTest::addRow("%s_%s", b.name, look)
                << QString::fromLatin1(b.name) + u'_' + QString::fromLatin1(look) + QStringLiteral(".bmp") << !flat;
        }
    QTest::newRow("title") << QStringLiteral("title.png") << true;
    QTest::newRow("edge_side") << QStringLiteral("edge_side.jpg") << false;
    QTest::newRow("edge_bottom") << QStringLiteral("edge_bottom.png") << false;
    QTest::newRow("bottom_right") << QStringLiteral("bottom_right.jpg") << false;
}

void TestArtwork::doubled()
{
    QFETCH(QString, file);
    QFETCH(bool, drawnAnew);
    const qsizetype dot = file.lastIndexOf(u'.');
    const QImage one = picture(file);
    const QImage two = picture(file.left(dot) + QStringLiteral("@2x") + file.mid(dot));
    QVERIFY(!one.isNull() && !two.isNull());
    QCOMPARE(two.size(), one.size() * 2);
    int mismatched = 0, finer = 0;
    for (int y = 0; y < one.height(); ++y)
        for (int x = 0; x < one.width(); ++x) {
            const QRgb block[4] = {two.pixel(2 * x, 2 * y), two.pixel(2 * x + 1, 2 * y),
                                   two.pixel(2 * x, 2 * y + 1), two.pixel(2 * x + 1, 2 * y + 1)};
            int r = 0, g = 0, b = 0;
            bool uniform = true;
            for (const QRgb c : block) {
                r += qRed(c), g += qGreen(c), b += qBlue(c);
                uniform = uniform && near(c, QColor(block[0]), 2);
            }
            if (!near(one.pixel(x, y), QColor(r / 4, g / 4, b / 4), 48))
                ++mismatched;
            if (!uniform)
                ++finer;
        }
    const int pixels = one.width() * one.height();
    // Anti-aliased edges of glyphs and letters may fall differently.
    QVERIFY2(mismatched * 100 <= pixels * 3, qPrintable(QString::number(mismatched) + u" of "_qs + QString::number(pixels)));
    if (drawnAnew)
        QVERIFY2(finer >= 10, qPrintable(QString::number(finer)));
}

QTEST_GUILESS_MAIN(TestArtwork)
#include "test_artwork.moc"
