// Tests of the picture readers: decoded pixels against Qt's own readers, and bad input of every kind.
#include "platform/exceptions.h"
#include "platform/pictures.h"

#include <QBuffer>
#include <QDirIterator>
#include <QImageWriter>
#include <QTest>

#include <cstdlib>
#include <functional>
#include <zlib.h>

using namespace Qt::StringLiterals;

namespace {

enum class Reader { Bmp, Png, Jpeg, Any };

QImage decode(Reader reader, const QByteArray &bytes)
{
    switch (reader) {
    case Reader::Bmp: return readBmp(bytes);
    case Reader::Png: return readPng(bytes);
    case Reader::Jpeg: return readJpeg(bytes);
    case Reader::Any: break;
    }
    return readPicture(bytes);
}

// A deterministic scramble, so fixtures have busy pixels that exercise every
// filter and every bit of a sample.
quint32 noise(quint32 x, quint32 y, quint32 c)
{
    quint32 h = x * 0x9e3779b1u ^ y * 0x85ebca77u ^ c * 0xc2b2ae3du;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    return h;
}

void putBigEndian32(QByteArray &out, quint32 v)
{
    out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

void putLittleEndian16(QByteArray &out, quint32 v)
{
    out.append(char(v)).append(char(v >> 8));
}

void putLittleEndian32(QByteArray &out, quint32 v)
{
    putLittleEndian16(out, v);
    putLittleEndian16(out, v >> 16);
}

void patchLittleEndian32(QByteArray &bytes, int offset, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char(v >> (8 * i));
}

void patchBigEndian16(QByteArray &bytes, qsizetype offset, quint32 v)
{
    bytes[offset] = char(v >> 8);
    bytes[offset + 1] = char(v);
}

// The first pixel where the pictures differ by more than tolerance in a
// channel, as text; empty when they match.
QString difference(const QImage &ours, const QImage &reference, int tolerance)
{
    if (ours.size() != reference.size())
        return u"size %1x%2, reference %3x%4"_s.arg(ours.width()).arg(ours.height())
            .arg(reference.width()).arg(reference.height());
    const QImage a = ours.convertToFormat(QImage::Format_ARGB32);
    const QImage b = reference.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y) {
        const auto *rowA = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *rowB = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = rowA[x];
            const QRgb q = rowB[x];
            // A fully transparent pixel has no colour to compare; Qt makes it black.
            if (qAlpha(p) == 0 && qAlpha(q) == 0)
                continue;
            if (std::abs(qRed(p) - qRed(q)) > tolerance || std::abs(qGreen(p) - qGreen(q)) > tolerance
                || std::abs(qBlue(p) - qBlue(q)) > tolerance || std::abs(qAlpha(p) - qAlpha(q)) > tolerance)
                return u"pixel %1,%2: ours %3, reference %4"_s.arg(x).arg(y)
                    .arg(p, 8, 16, QLatin1Char('0')).arg(q, 8, 16, QLatin1Char('0'));
        }
    }
    return {};
}

// ---------------------------------------------------------------------------
// Bitmaps built by hand

struct BmpFile
{
    int width = 4;
    int height = 3;
    int depth = 24;
    bool topDown = false;
    quint32 headerSize = 40;
    quint32 compression = 0;
    int paletteSize = 0;           // 0: 2^depth entries, written as "colours used" 0
    bool dropLastRowPadding = false;
    std::function<int(int, int)> index = {}; // palette index at x, y; default: noise
};

QByteArray makeBmp(const BmpFile &f)
{
    const int colours = f.depth <= 8 ? (f.paletteSize ? f.paletteSize : 1 << f.depth) : 0;
    const int stride = (f.width * f.depth + 31) / 32 * 4;
    const quint32 pixelOffset = 14 + f.headerSize + 4 * colours;
    QByteArray pixels;
    for (int row = 0; row < f.height; ++row) {
        const int y = f.topDown ? row : f.height - 1 - row;
        QByteArray line(stride, '\0');
        for (int x = 0; x < f.width; ++x) {
            if (f.depth == 24) {
                line[x * 3] = char(noise(x, y, 2));
                line[x * 3 + 1] = char(noise(x, y, 1));
                line[x * 3 + 2] = char(noise(x, y, 0));
                continue;
            }
            const int value = f.index ? f.index(x, y) : int(noise(x, y, 0) % quint32(colours));
            const int bit = x * f.depth;
            line[bit / 8] = char(uchar(line[bit / 8]) | value << (8 - f.depth - bit % 8));
        }
        if (row == f.height - 1 && f.dropLastRowPadding)
            line.truncate((f.width * f.depth + 7) / 8);
        pixels += line;
    }
    QByteArray out("BM");
    putLittleEndian32(out, pixelOffset + pixels.size());
    putLittleEndian32(out, 0);
    putLittleEndian32(out, pixelOffset);
    putLittleEndian32(out, f.headerSize);
    putLittleEndian32(out, quint32(f.width));
    putLittleEndian32(out, quint32(f.topDown ? -f.height : f.height));
    putLittleEndian16(out, 1);
    putLittleEndian16(out, quint32(f.depth));
    putLittleEndian32(out, f.compression);
    putLittleEndian32(out, quint32(pixels.size()));
    putLittleEndian32(out, 2835);
    putLittleEndian32(out, 2835);
    putLittleEndian32(out, f.paletteSize);
    putLittleEndian32(out, 0);
    // The fields of the V4/V5 headers stay zero: no colour masks, no colour space.
    out.append(QByteArray(f.headerSize - 40, '\0'));
    for (int i = 0; i < colours; ++i) {
        out.append(char(noise(i, 0, 9))).append(char(noise(i, 0, 8))).append(char(noise(i, 0, 7)));
        out.append('\0');
    }
    return out + pixels;
}

// ---------------------------------------------------------------------------
// PNG files built by hand

QByteArray pngChunk(const char *type, const QByteArray &body)
{
    QByteArray out;
    putBigEndian32(out, quint32(body.size()));
    const QByteArray typed = QByteArray(type, 4) + body;
    out += typed;
    putBigEndian32(out, quint32(crc32(0, reinterpret_cast<const Bytef *>(typed.constData()), uInt(typed.size()))));
    return out;
}

QByteArray pngHeader(quint32 width, quint32 height, int depth, int colourType, int interlace = 0,
                     int compression = 0, int filter = 0)
{
    QByteArray body;
    putBigEndian32(body, width);
    putBigEndian32(body, height);
    body.append(char(depth)).append(char(colourType)).append(char(compression)).append(char(filter))
        .append(char(interlace));
    return pngChunk("IHDR", body);
}

QByteArray pngFile(const QList<QByteArray> &chunks)
{
    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    for (const QByteArray &chunk : chunks)
        out += chunk;
    return out;
}

QByteArray zlibCompress(const QByteArray &raw)
{
    uLongf size = compressBound(uLong(raw.size()));
    QByteArray out(qsizetype(size), '\0');
    compress2(reinterpret_cast<Bytef *>(out.data()), &size, reinterpret_cast<const Bytef *>(raw.constData()),
              uLong(raw.size()), 9);
    out.truncate(qsizetype(size));
    return out;
}

int paethPredictor(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Applies filter type to one scanline; prior is the unfiltered row above (zeros for the first).
QByteArray filterRow(int type, const QByteArray &row, const QByteArray &prior, int pixelBytes)
{
    QByteArray out(1, char(type));
    for (int i = 0; i < row.size(); ++i) {
        const int x = uchar(row[i]);
        const int left = i >= pixelBytes ? uchar(row[i - pixelBytes]) : 0;
        const int up = uchar(prior[i]);
        const int upLeft = i >= pixelBytes ? uchar(prior[i - pixelBytes]) : 0;
        const int predicted = type == 1 ? left : type == 2 ? up : type == 3 ? (left + up) / 2
                            : type == 4 ? paethPredictor(left, up, upLeft) : 0;
        out.append(char(x - predicted));
    }
    return out;
}

struct PngFile
{
    int width = 13;
    int height = 11;
    int depth = 8;
    int colourType = 2;
    bool interlaced = false;
    int paletteSize = 0; // colour type 3: 0 means 2^depth entries
    QByteArray transparency = {}; // the tRNS body, if any
    int idatPieces = 1;      // the compressed stream split over this many IDAT chunks
    QList<QByteArray> extraBeforeData = {}; // whole chunks placed between the header and the data
    QList<QByteArray> extraAfterData = {}; // whole chunks between the data and IEND
};

int pngChannels(int colourType)
{
    switch (colourType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
    }
}

// The unfiltered scanlines of one pass (or of the whole picture).
QList<QByteArray> pngPassRows(const PngFile &f, int x0, int y0, int dx, int dy)
{
    const int channels = pngChannels(f.colourType);
    const int colours = f.paletteSize ? f.paletteSize : 1 << f.depth;
    QList<QByteArray> rows;
    for (int y = y0; y < f.height; y += dy) {
        QByteArray bits;
        int bitCount = 0;
        quint32 accumulator = 0;
        for (int x = x0; x < f.width; x += dx) {
            for (int c = 0; c < channels; ++c) {
                quint32 v = noise(x, y, c);
                v = f.colourType == 3 ? v % quint32(colours) : v & ((1u << f.depth) - 1);
                // Make a few pixels hit the tRNS colour exactly.
                if (f.colourType != 3 && (x + y) % 5 == 0 && f.transparency.size() >= 2 * (c + 1))
                    v = uchar(f.transparency[2 * c]) << 8 | uchar(f.transparency[2 * c + 1]);
                accumulator = accumulator << f.depth | v;
                bitCount += f.depth;
                while (bitCount >= 8) {
                    bits.append(char(accumulator >> (bitCount - 8)));
                    bitCount -= 8;
                }
            }
        }
        if (bitCount > 0)
            bits.append(char(accumulator << (8 - bitCount)));
        if (!bits.isEmpty())
            rows.append(bits);
    }
    return rows;
}

// The filtered, uncompressed image data; rows cycle through all five filter types.
QByteArray pngRawData(const PngFile &f)
{
    static const int adam7[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                    {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    static const int whole[1][4] = {{0, 0, 1, 1}};
    const int pixelBytes = std::max(1, pngChannels(f.colourType) * f.depth / 8);
    QByteArray raw;
    for (int p = 0; p < (f.interlaced ? 7 : 1); ++p) {
        const int *pass = f.interlaced ? adam7[p] : whole[0];
        if (f.width <= pass[0])
            continue; // empty pass: no rows at all
        const QList<QByteArray> rows = pngPassRows(f, pass[0], pass[1], pass[2], pass[3]);
        QByteArray prior;
        for (int y = 0; y < rows.size(); ++y) {
            if (prior.isEmpty())
                prior = QByteArray(rows[y].size(), '\0');
            raw += filterRow((p + y) % 5, rows[y], prior, pixelBytes);
            prior = rows[y];
        }
    }
    return raw;
}

QByteArray makePng(const PngFile &f)
{
    QList<QByteArray> chunks{pngHeader(f.width, f.height, f.depth, f.colourType, f.interlaced ? 1 : 0)};
    if (f.colourType == 3) {
        QByteArray palette;
        for (int i = 0; i < (f.paletteSize ? f.paletteSize : 1 << f.depth); ++i)
            palette.append(char(noise(i, 1, 0))).append(char(noise(i, 1, 1))).append(char(noise(i, 1, 2)));
        chunks.append(pngChunk("PLTE", palette));
    }
    if (!f.transparency.isEmpty())
        chunks.append(pngChunk("tRNS", f.transparency));
    chunks += f.extraBeforeData;
    const QByteArray stream = zlibCompress(pngRawData(f));
    const qsizetype piece = (stream.size() + f.idatPieces - 1) / f.idatPieces;
    for (qsizetype at = 0; at < stream.size(); at += piece)
        chunks.append(pngChunk("IDAT", stream.mid(at, piece)));
    chunks += f.extraAfterData;
    chunks.append(pngChunk("IEND", {}));
    return pngFile(chunks);
}

// A small valid opaque picture, the starting point of the PNG error cases.
QList<QByteArray> validPngChunks()
{
    PngFile f;
    f.width = 4;
    f.height = 3;
    return {pngHeader(4, 3, 8, 2), pngChunk("IDAT", zlibCompress(pngRawData(f))), pngChunk("IEND", {})};
}

// ---------------------------------------------------------------------------
// Pictures written by Qt

QImage busyImage(int width, int height, QImage::Format format)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // Smooth gradients with a few hard edges, like artwork.
            const int r = (x * 255) / std::max(1, width - 1);
            const int g = (y * 255) / std::max(1, height - 1);
            const int b = ((x / 4 + y / 4) % 2) ? 220 : 30;
            const int a = format == QImage::Format_ARGB32 ? int(noise(x, y, 3) % 256) : 255;
            image.setPixel(x, y, qRgba(r, g, b, a));
        }
    return image.convertToFormat(format);
}

QByteArray qtWritten(const QImage &image, const char *format, int quality = -1, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image))
        qFatal("Qt could not write a %s fixture: %s", format, qPrintable(writer.errorString()));
    return bytes;
}

QImage qtIndexed(int width, int height, int colours)
{
    QImage image(width, height, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < colours; ++i)
        table.append(qRgb(int(noise(i, 2, 0) % 256), int(noise(i, 2, 1) % 256), int(noise(i, 2, 2) % 256)));
    image.setColorTable(table);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, uint(noise(x, y, 5) % uint(colours)));
    return image;
}

QByteArray qtJpeg(int width, int height, QImage::Format format = QImage::Format_RGB32, int quality = 90,
                  bool progressive = false)
{
    return qtWritten(busyImage(width, height, format), "jpeg", quality, progressive);
}

// The offset of the first start-of-frame segment's height field.
qsizetype jpegFrameSizeOffset(const QByteArray &jpeg)
{
    const qsizetype sof = jpeg.indexOf(QByteArray("\xff\xc0", 2));
    return sof < 0 ? -1 : sof + 5;
}

QByteArray jpegWithSize(int width, int height)
{
    QByteArray bytes = qtJpeg(8, 8);
    const qsizetype at = jpegFrameSizeOffset(bytes);
    patchBigEndian16(bytes, at, quint32(height));
    patchBigEndian16(bytes, at + 2, quint32(width));
    return bytes;
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bitmapsMatchQt_data();
    void bitmapsMatchQt();
    void pngsMatchQt_data();
    void pngsMatchQt();
    void jpegsMatchQt_data();
    void jpegsMatchQt();
    void resourcePicturesMatchQt();
    void largestSizeIsAccepted_data();
    void largestSizeIsAccepted();
    void badInputIsRejected_data();
    void badInputIsRejected();
    void everyTruncationIsRejected_data();
    void everyTruncationIsRejected();
    void everyChangedPngByteIsRejected();
    void signatureChoosesTheReader_data();
    void signatureChoosesTheReader();
    void bitmapLastRowMayLackPadding();
};

namespace {

void addMatchColumns()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("alpha");
    QTest::addColumn<int>("tolerance");
}

// Decodes with our reader and with Qt's; empty when they agree, else what differs.
QString matchProblem(Reader reader, const QByteArray &bytes, bool alpha, int tolerance)
{
    QImage reference;
    if (!reference.loadFromData(bytes))
        return u"Qt cannot read the picture"_s;
    QImage ours;
    try {
        ours = decode(reader, bytes);
    } catch (const EInvalidGraphic &e) {
        return u"our reader failed: "_s + e.message();
    }
    if (ours.format() != (alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32))
        return u"format %1, expected %2"_s.arg(int(ours.format())).arg(alpha ? u"ARGB32"_s : u"RGB32"_s);
    return difference(ours, reference, tolerance);
}

void checkMatchesQt(Reader reader)
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, alpha);
    QFETCH(int, tolerance);
    const QString problem = matchProblem(reader, bytes, alpha, tolerance);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

} // namespace

void TestPictures::bitmapsMatchQt_data()
{
    addMatchColumns();
    const auto row = [](const char *name, const BmpFile &f) { QTest::newRow(name) << makeBmp(f) << false << 0; };
    row("24-bit 1x1", {.width = 1, .height = 1});
    row("24-bit 4x3, rows without padding", {.width = 4, .height = 3});
    row("24-bit 5x3, rows padded", {.width = 5, .height = 3});
    row("24-bit top-down", {.width = 7, .height = 5, .topDown = true});
    row("8-bit full palette", {.width = 7, .height = 5, .depth = 8});
    row("8-bit 20-colour palette", {.width = 9, .height = 4, .depth = 8, .paletteSize = 20});
    row("8-bit top-down", {.width = 6, .height = 5, .depth = 8, .topDown = true});
    row("4-bit palette", {.width = 9, .height = 3, .depth = 4});
    row("1-bit palette", {.width = 17, .height = 3, .depth = 1});
    row("1-bit top-down", {.width = 33, .height = 2, .depth = 1, .topDown = true});
    row("V4 header", {.width = 5, .height = 2, .headerSize = 108});
    row("V5 header, 8-bit", {.width = 5, .height = 2, .depth = 8, .headerSize = 124});
    QTest::newRow("Qt's writer, 24-bit") << qtWritten(busyImage(31, 9, QImage::Format_RGB32), "bmp") << false << 0;
    QTest::newRow("Qt's writer, 8-bit") << qtWritten(qtIndexed(19, 7, 200), "bmp") << false << 0;
    QTest::newRow("Qt's writer, 16x16 glyph")
        << qtWritten(qtIndexed(16, 16, 16), "bmp") << false << 0;
}

void TestPictures::bitmapsMatchQt()
{
    checkMatchesQt(Reader::Bmp);
}

void TestPictures::pngsMatchQt_data()
{
    addMatchColumns();
    const auto row = [](const QString &name, const PngFile &f, bool alpha, int tolerance = 0) {
        QTest::addRow("%s", qPrintable(name)) << makePng(f) << alpha << tolerance;
    };
    struct Kind { int colourType, depth; bool alpha; };
    const Kind kinds[] = {{0, 1, false}, {0, 2, false}, {0, 4, false}, {0, 8, false}, {0, 16, false},
                          {2, 8, false}, {2, 16, false}, {3, 1, false}, {3, 2, false}, {3, 4, false},
                          {3, 8, false}, {4, 8, true}, {4, 16, true}, {6, 8, true}, {6, 16, true}};
    for (const Kind &k : kinds)
        for (bool interlaced : {false, true}) {
            PngFile f{.depth = k.depth, .colourType = k.colourType, .interlaced = interlaced};
            // Qt rounds 16-bit samples to 8 bits; we keep the high byte.
            row(u"colour type %1, %2 bits%3"_s.arg(k.colourType).arg(k.depth)
                    .arg(interlaced ? u", Adam7"_s : QString()),
                f, k.alpha, k.depth == 16 ? 1 : 0);
        }
    // Small interlaced pictures leave some of the seven passes empty.
    for (QSize size : {QSize(1, 1), QSize(2, 1), QSize(1, 5), QSize(3, 3), QSize(5, 2), QSize(8, 8), QSize(9, 9)})
        row(u"Adam7 %1x%2"_s.arg(size.width()).arg(size.height()),
            {.width = size.width(), .height = size.height(), .interlaced = true}, false);
    row(u"palette, 5 of 16 colours"_s, {.depth = 4, .colourType = 3, .paletteSize = 5}, false);
    row(u"palette with a shorter tRNS"_s,
        {.depth = 8, .colourType = 3, .paletteSize = 40, .transparency = QByteArray("\x00\x80\xff\x10", 4)}, true);
    row(u"2-bit palette with tRNS, Adam7"_s,
        {.depth = 2, .colourType = 3, .interlaced = true, .transparency = QByteArray("\x40\x00", 2)}, true);
    row(u"greyscale 8 bits with tRNS"_s, {.depth = 8, .colourType = 0, .transparency = QByteArray("\x00\x2a", 2)},
        true);
    row(u"greyscale 2 bits with tRNS"_s, {.depth = 2, .colourType = 0, .transparency = QByteArray("\x00\x01", 2)},
        true);
    row(u"truecolour with tRNS"_s,
        {.colourType = 2, .transparency = QByteArray("\x00\x11\x00\x22\x00\x33", 6)}, true);
    row(u"data split into one-byte IDAT chunks"_s, {.colourType = 6, .idatPieces = 100000}, true);
    row(u"data split over 3 IDAT chunks, then an empty one"_s,
        {.interlaced = true, .idatPieces = 3, .extraAfterData = {pngChunk("IDAT", {})}}, false);
    row(u"ancillary chunks are skipped"_s,
        {.extraBeforeData = {pngChunk("tEXt", "Comment\0made by hand"), pngChunk("zzZz", "x")},
         .extraAfterData = {pngChunk("tIME", QByteArray(7, '\1'))}},
        false);
    row(u"truecolour with a suggested palette"_s,
        {.extraBeforeData = {pngChunk("PLTE", QByteArray(9, '\x7f'))}}, false);
    QTest::newRow("Qt's writer, RGB32") << qtWritten(busyImage(37, 21, QImage::Format_RGB32), "png") << false << 0;
    QTest::newRow("Qt's writer, ARGB32") << qtWritten(busyImage(37, 21, QImage::Format_ARGB32), "png") << true << 0;
    QTest::newRow("Qt's writer, greyscale")
        << qtWritten(busyImage(23, 8, QImage::Format_Grayscale8), "png") << false << 0;
    QTest::newRow("Qt's writer, indexed") << qtWritten(qtIndexed(23, 8, 77), "png") << false << 0;
    QTest::newRow("Qt's writer, 640x22 title strip")
        << qtWritten(busyImage(640, 22, QImage::Format_RGB32), "png") << false << 0;
}

void TestPictures::pngsMatchQt()
{
    checkMatchesQt(Reader::Png);
}

void TestPictures::jpegsMatchQt_data()
{
    addMatchColumns();
    // Qt decodes through the same libjpeg, so the pixels should agree exactly;
    // a tolerance of 2 per channel still allows a Qt build whose reader picks
    // another IDCT or upsampling method, whose rounding differs by a step or two.
    QTest::newRow("colour 37x23") << qtJpeg(37, 23) << false << 2;
    QTest::newRow("colour 1x60 edge") << qtJpeg(1, 60) << false << 2;
    QTest::newRow("colour 97x7 piece") << qtJpeg(97, 7) << false << 2;
    QTest::newRow("colour, quality 100") << qtJpeg(40, 40, QImage::Format_RGB32, 100) << false << 2;
    QTest::newRow("colour, quality 10") << qtJpeg(40, 40, QImage::Format_RGB32, 10) << false << 2;
    QTest::newRow("greyscale 16x16") << qtJpeg(16, 16, QImage::Format_Grayscale8) << false << 2;
    QTest::newRow("greyscale 33x9") << qtJpeg(33, 9, QImage::Format_Grayscale8) << false << 2;
}

void TestPictures::jpegsMatchQt()
{
    checkMatchesQt(Reader::Jpeg);
}

void TestPictures::resourcePicturesMatchQt()
{
    // Whatever pictures the program ships; with none yet there is nothing to check.
    // A loop, not a data table: QTest refuses a data table without rows.
    const QString root = QStringLiteral(KAVRO_SOURCE_DIR "/resources");
    QDirIterator it(root, {u"*.bmp"_s, u"*.png"_s, u"*.jpg"_s}, QDir::Files, QDirIterator::Subdirectories);
    int checked = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
        const QByteArray bytes = file.readAll();
        // JPEG: see jpegsMatchQt_data for the tolerance.
        const QString problem = matchProblem(Reader::Any, bytes, QImage::fromData(bytes).hasAlphaChannel(),
                                             path.endsWith(u".jpg"_s) ? 2 : 0);
        QVERIFY2(problem.isEmpty(), qPrintable(path + u": "_s + problem));
        ++checked;
    }
    qInfo("%d pictures under %s", checked, qPrintable(root));
}

void TestPictures::largestSizeIsAccepted_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    const auto widePng = [](int w, int h) {
        return makePng({.width = w, .height = h, .depth = 1, .colourType = 0});
    };
    QTest::newRow("PNG 16384x1") << widePng(kMaxPictureSide, 1) << QSize(kMaxPictureSide, 1);
    QTest::newRow("PNG 1x16384") << widePng(1, kMaxPictureSide) << QSize(1, kMaxPictureSide);
    QTest::newRow("bitmap 16384x1") << makeBmp({.width = kMaxPictureSide, .height = 1, .depth = 1})
                                    << QSize(kMaxPictureSide, 1);
    QTest::newRow("bitmap 1x16384, top-down")
        << makeBmp({.width = 1, .height = kMaxPictureSide, .depth = 1, .topDown = true}) << QSize(1, kMaxPictureSide);
    QTest::newRow("JPEG 16384x2") << qtJpeg(kMaxPictureSide, 2) << QSize(kMaxPictureSide, 2);
}

void TestPictures::largestSizeIsAccepted()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    QCOMPARE(readPicture(bytes).size(), size);
}

void TestPictures::badInputIsRejected_data()
{
    QTest::addColumn<int>("reader");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message"); // a part of the expected message

    const auto add = [](const char *name, Reader reader, const QByteArray &bytes, const QString &message) {
        QTest::newRow(name) << int(reader) << bytes << message;
    };

    // --- bitmaps
    const QByteArray bmp = makeBmp({.width = 4, .height = 3});
    const auto patched = [](QByteArray bytes, int offset, quint32 value) {
        patchLittleEndian32(bytes, offset, value);
        return bytes;
    };
    add("bitmap: empty", Reader::Bmp, {}, u"Bitmap: bad signature"_s);
    add("bitmap: bad signature", Reader::Bmp, "BX" + bmp.mid(2), u"Bitmap: bad signature"_s);
    add("bitmap: truncated file header", Reader::Bmp, bmp.left(10), u"Bitmap: truncated header"_s);
    add("bitmap: truncated info header", Reader::Bmp, bmp.left(40), u"Bitmap: truncated header"_s);
    add("bitmap: OS/2 core header", Reader::Bmp, patched(bmp, 14, 12), u"Bitmap: unsupported header size 12"_s);
    add("bitmap: header size past the end", Reader::Bmp, patched(bmp, 14, 0xfffffff0u),
        u"Bitmap: truncated header"_s);
    add("bitmap: pixel offset past the end", Reader::Bmp, patched(bmp, 10, quint32(bmp.size()) + 1),
        u"Bitmap: pixel data offset past the end"_s);
    add("bitmap: pixel offset 4 GiB", Reader::Bmp, patched(bmp, 10, 0xffffffffu),
        u"Bitmap: pixel data offset past the end"_s);
    add("bitmap: pixel offset inside the header", Reader::Bmp, patched(bmp, 10, 20),
        u"Bitmap: pixel data offset inside the header"_s);
    add("bitmap: truncated pixel data", Reader::Bmp, bmp.chopped(1), u"Bitmap: truncated pixel data"_s);
    add("bitmap: rows claimed beyond the data", Reader::Bmp, patched(bmp, 22, 4),
        u"Bitmap: truncated pixel data"_s);
    add("bitmap: RLE8 compression", Reader::Bmp, makeBmp({.depth = 8, .compression = 1}),
        u"Bitmap: unsupported compression RLE8"_s);
    add("bitmap: RLE4 compression", Reader::Bmp, makeBmp({.depth = 4, .compression = 2}),
        u"Bitmap: unsupported compression RLE4"_s);
    add("bitmap: bit fields", Reader::Bmp, makeBmp({.compression = 3}),
        u"Bitmap: unsupported compression BITFIELDS"_s);
    {
        QByteArray sixteen = bmp;
        sixteen[28] = 16;
        add("bitmap: 16 bits", Reader::Bmp, sixteen, u"Bitmap: unsupported bit depth 16"_s);
        QByteArray planes = bmp;
        planes[26] = 2;
        add("bitmap: two planes", Reader::Bmp, planes, u"Bitmap: bad plane count 2"_s);
    }
    add("bitmap: zero width", Reader::Bmp, patched(bmp, 18, 0), u"Bitmap: bad picture size 0 x 3"_s);
    add("bitmap: negative width", Reader::Bmp, patched(bmp, 18, quint32(-4)), u"Bitmap: bad picture size -4 x 3"_s);
    add("bitmap: zero height", Reader::Bmp, patched(bmp, 22, 0), u"Bitmap: bad picture size 4 x 0"_s);
    add("bitmap: most negative height", Reader::Bmp, patched(bmp, 22, 0x80000000u),
        u"Bitmap: picture too large (4 x 2147483648)"_s);
    add("bitmap: wider than the cap", Reader::Bmp, patched(bmp, 18, kMaxPictureSide + 1),
        u"Bitmap: picture too large (16385 x 3)"_s);
    add("bitmap: more pixels than the cap", Reader::Bmp, patched(patched(bmp, 18, 8192), 22, 8193),
        u"Bitmap: picture too large (8192 x 8193)"_s);
    add("bitmap: more colours than 8 bits hold", Reader::Bmp, patched(makeBmp({.depth = 8}), 46, 257),
        u"Bitmap: too many palette colours (257 for 8 bits)"_s);
    add("bitmap: truncated palette", Reader::Bmp, makeBmp({.depth = 8}).left(14 + 40 + 1000),
        u"Bitmap: truncated palette"_s);
    add("bitmap: palette index out of range", Reader::Bmp,
        makeBmp({.depth = 8, .paletteSize = 2, .index = [](int x, int) { return x == 3 ? 2 : 1; }}),
        u"Bitmap: palette index 2 out of range"_s);

    // --- PNG
    const QList<QByteArray> good = validPngChunks();
    const QByteArray &ihdr = good[0];
    const QByteArray &idat = good[1];
    const QByteArray &iend = good[2];
    const QByteArray png = pngFile(good);
    const QByteArray plte = pngChunk("PLTE", QByteArray(9, '\x40'));
    // Indices 0 to 3, for a file whose PLTE has three colours.
    const QByteArray fourColourData =
        pngChunk("IDAT", zlibCompress(pngRawData({.width = 4, .height = 3, .depth = 2, .colourType = 3})));
    PngFile eightBitGrey{.width = 4, .height = 3, .colourType = 0};
    const QByteArray rawGrey = pngRawData(eightBitGrey);
    add("PNG: empty", Reader::Png, {}, u"PNG: bad signature"_s);
    add("PNG: bad signature", Reader::Png, "\x89PNG\r\n\x1a\r" + png.mid(8), u"PNG: bad signature"_s);
    add("PNG: signature only", Reader::Png, png.left(8), u"PNG: missing IEND chunk"_s);
    add("PNG: truncated signature", Reader::Png, png.left(5), u"PNG: bad signature"_s);
    add("PNG: truncated chunk header", Reader::Png, png.left(8 + 5), u"PNG: truncated chunk header"_s);
    add("PNG: truncated IHDR", Reader::Png, png.left(8 + 8 + 6), u"PNG: truncated chunk IHDR"_s);
    add("PNG: truncated IHDR CRC", Reader::Png, png.left(8 + 25 - 1), u"PNG: truncated chunk IHDR"_s);
    add("PNG: truncated IDAT", Reader::Png, pngFile({ihdr, idat.chopped(3)}), u"PNG: truncated chunk IDAT"_s);
    add("PNG: chunk length over 2 GiB", Reader::Png, pngFile({ihdr, QByteArray("\x80\0\0\0IDAT", 8)}),
        u"PNG: chunk IDAT too long"_s);
    add("PNG: chunk length of 4 GiB", Reader::Png, pngFile({ihdr, QByteArray("\xff\xff\xff\xffIDAT", 8)}),
        u"PNG: chunk IDAT too long"_s);
    add("PNG: chunk type with a digit", Reader::Png, pngFile({ihdr, pngChunk("ID4T", "x"), idat, iend}),
        u"PNG: bad chunk type"_s);
    {
        QByteArray bad = png;
        bad[8 + 8 + 3] = char(bad[8 + 8 + 3] ^ 1);
        add("PNG: bad CRC in IHDR", Reader::Png, bad, u"PNG: bad CRC in chunk IHDR"_s);
        QByteArray badData = png;
        const qsizetype dataCrc = 8 + ihdr.size() + idat.size() - 1;
        badData[dataCrc] = char(badData[dataCrc] ^ 0x80);
        add("PNG: bad CRC in IDAT", Reader::Png, badData, u"PNG: bad CRC in chunk IDAT"_s);
    }
    add("PNG: first chunk not IHDR", Reader::Png, pngFile({idat, ihdr, iend}), u"PNG: first chunk is IDAT, not IHDR"_s);
    add("PNG: ancillary chunk before IHDR", Reader::Png, pngFile({pngChunk("tEXt", "a"), ihdr, idat, iend}),
        u"PNG: first chunk is tEXt, not IHDR"_s);
    add("PNG: duplicate IHDR", Reader::Png, pngFile({ihdr, ihdr, idat, iend}), u"PNG: duplicate IHDR"_s);
    add("PNG: short IHDR", Reader::Png, pngFile({pngChunk("IHDR", ihdr.mid(8, 12)), idat, iend}),
        u"PNG: bad IHDR length 12"_s);
    add("PNG: zero width", Reader::Png, pngFile({pngHeader(0, 3, 8, 2), idat, iend}),
        u"PNG: bad picture size 0 x 3"_s);
    add("PNG: zero height", Reader::Png, pngFile({pngHeader(4, 0, 8, 2), idat, iend}),
        u"PNG: bad picture size 4 x 0"_s);
    add("PNG: width of 2^31", Reader::Png, pngFile({pngHeader(0x80000000u, 3, 8, 2), idat, iend}),
        u"PNG: bad picture size 2147483648 x 3"_s);
    add("PNG: huge width", Reader::Png, pngFile({pngHeader(0x7fffffffu, 3, 8, 2), idat, iend}),
        u"PNG: picture too large (2147483647 x 3)"_s);
    add("PNG: wider than the cap", Reader::Png, pngFile({pngHeader(kMaxPictureSide + 1, 1, 8, 2), idat, iend}),
        u"PNG: picture too large (16385 x 1)"_s);
    add("PNG: more pixels than the cap", Reader::Png, pngFile({pngHeader(8192, 8193, 1, 0), idat, iend}),
        u"PNG: picture too large (8192 x 8193)"_s);
    add("PNG: truecolour at 4 bits", Reader::Png, pngFile({pngHeader(4, 3, 4, 2), idat, iend}),
        u"PNG: bad bit depth 4 for colour type 2"_s);
    add("PNG: palette at 16 bits", Reader::Png, pngFile({pngHeader(4, 3, 16, 3), plte, idat, iend}),
        u"PNG: bad bit depth 16 for colour type 3"_s);
    add("PNG: greyscale at 3 bits", Reader::Png, pngFile({pngHeader(4, 3, 3, 0), idat, iend}),
        u"PNG: bad bit depth 3 for colour type 0"_s);
    add("PNG: RGBA at 1 bit", Reader::Png, pngFile({pngHeader(4, 3, 1, 6), idat, iend}),
        u"PNG: bad bit depth 1 for colour type 6"_s);
    add("PNG: colour type 5", Reader::Png, pngFile({pngHeader(4, 3, 8, 5), idat, iend}),
        u"PNG: bad colour type 5"_s);
    add("PNG: compression method 1", Reader::Png, pngFile({pngHeader(4, 3, 8, 2, 0, 1), idat, iend}),
        u"PNG: unknown compression method 1"_s);
    add("PNG: filter method 1", Reader::Png, pngFile({pngHeader(4, 3, 8, 2, 0, 0, 1), idat, iend}),
        u"PNG: unknown filter method 1"_s);
    add("PNG: interlace method 2", Reader::Png, pngFile({pngHeader(4, 3, 8, 2, 2), idat, iend}),
        u"PNG: unknown interlace method 2"_s);
    add("PNG: missing IDAT", Reader::Png, pngFile({ihdr, iend}), u"PNG: missing IDAT chunk"_s);
    add("PNG: missing IEND", Reader::Png, pngFile({ihdr, idat}), u"PNG: missing IEND chunk"_s);
    add("PNG: IDAT chunks apart", Reader::Png,
        pngFile({ihdr, pngChunk("IDAT", {}), pngChunk("tEXt", "a"), idat, iend}),
        u"PNG: IDAT chunks are not consecutive"_s);
    add("PNG: unknown critical chunk", Reader::Png, pngFile({ihdr, pngChunk("ABCD", "x"), idat, iend}),
        u"PNG: unknown critical chunk ABCD"_s);
    add("PNG: missing PLTE", Reader::Png, pngFile({pngHeader(4, 3, 2, 3), fourColourData, iend}),
        u"PNG: missing PLTE before IDAT"_s);
    add("PNG: PLTE after IDAT", Reader::Png, pngFile({ihdr, idat, plte, iend}), u"PNG: PLTE after IDAT"_s);
    add("PNG: duplicate PLTE", Reader::Png, pngFile({pngHeader(4, 3, 2, 3), plte, plte, fourColourData, iend}),
        u"PNG: duplicate PLTE"_s);
    add("PNG: PLTE in greyscale", Reader::Png, pngFile({pngHeader(4, 3, 8, 0), plte, idat, iend}),
        u"PNG: PLTE in a greyscale picture"_s);
    add("PNG: empty PLTE", Reader::Png, pngFile({pngHeader(4, 3, 2, 3), pngChunk("PLTE", {}), idat, iend}),
        u"PNG: bad PLTE length 0"_s);
    add("PNG: PLTE length not a multiple of 3", Reader::Png,
        pngFile({pngHeader(4, 3, 2, 3), pngChunk("PLTE", QByteArray(10, 'x')), idat, iend}),
        u"PNG: bad PLTE length 10"_s);
    add("PNG: PLTE of 257 colours", Reader::Png,
        pngFile({pngHeader(4, 3, 8, 3), pngChunk("PLTE", QByteArray(771, 'x')), idat, iend}),
        u"PNG: bad PLTE length 771"_s);
    add("PNG: palette index out of range", Reader::Png,
        pngFile({pngHeader(4, 3, 2, 3), plte, fourColourData, iend}), u"PNG: palette index 3 out of range"_s);
    add("PNG: corrupt zlib header", Reader::Png, pngFile({ihdr, pngChunk("IDAT", QByteArray("\x78\x00garbage", 9)), iend}),
        u"PNG: corrupt zlib stream (incorrect header check)"_s);
    add("PNG: corrupt deflate data", Reader::Png,
        pngFile({ihdr, pngChunk("IDAT", QByteArray("\x78\x9c\xff\xff\xff\xff\xff\xff", 8)), iend}),
        u"PNG: corrupt zlib stream (invalid block type)"_s);
    add("PNG: zlib stream cut short", Reader::Png,
        pngFile({ihdr, pngChunk("IDAT", zlibCompress(pngRawData({.width = 4, .height = 3})).left(10)), iend}),
        u"PNG: image data too short"_s);
    add("PNG: one byte of image data missing", Reader::Png,
        pngFile({pngHeader(4, 3, 8, 0), pngChunk("IDAT", zlibCompress(rawGrey.chopped(1))), iend}),
        u"PNG: image data too short"_s);
    {
        QByteArray badFilter = rawGrey;
        badFilter[5] = 5; // the second row's filter byte
        add("PNG: filter type 5", Reader::Png,
            pngFile({pngHeader(4, 3, 8, 0), pngChunk("IDAT", zlibCompress(badFilter)), iend}),
            u"PNG: bad filter type 5"_s);
    }

    // --- JPEG
    const QByteArray jpeg = qtJpeg(16, 16);
    QByteArray garbage("\xff\xd8", 2);
    for (int i = 0; i < 300; ++i)
        garbage.append(char(noise(i, 7, 7)));
    add("JPEG: empty", Reader::Jpeg, {}, u"JPEG: Empty input file"_s);
    add("JPEG: not a JPEG", Reader::Jpeg, bmp, u"JPEG: Not a JPEG file: starts with 0x42 0x4d"_s);
    add("JPEG: start marker only", Reader::Jpeg, jpeg.left(2), u"JPEG: Premature end of JPEG file"_s);
    add("JPEG: truncated in the header", Reader::Jpeg, jpeg.left(100), u"JPEG: Premature end of JPEG file"_s);
    add("JPEG: truncated in the scan", Reader::Jpeg, jpeg.chopped(40), u"JPEG: "_s);
    add("JPEG: missing end marker", Reader::Jpeg, jpeg.chopped(2), u"JPEG: Premature end of JPEG file"_s);
    add("JPEG: garbage after the start marker", Reader::Jpeg, garbage, u"JPEG: "_s);
    add("JPEG: wider than the cap", Reader::Jpeg, jpegWithSize(kMaxPictureSide + 1, 8),
        u"JPEG: picture too large (16385 x 8)"_s);
    add("JPEG: more pixels than the cap", Reader::Jpeg, jpegWithSize(8192, 8193),
        u"JPEG: picture too large (8192 x 8193)"_s);
    add("JPEG: zero width", Reader::Jpeg, jpegWithSize(0, 8), u"JPEG: "_s);
    add("JPEG: progressive", Reader::Jpeg, qtJpeg(16, 16, QImage::Format_RGB32, 90, true),
        u"JPEG: progressive pictures are not supported"_s);

    // --- by signature
    add("any: empty", Reader::Any, {}, u"Unknown picture format"_s);
    add("any: GIF", Reader::Any, "GIF89a\1\0\1\0", u"Unknown picture format"_s);
    add("any: one byte of a bitmap", Reader::Any, "B", u"Unknown picture format"_s);
}

void TestPictures::badInputIsRejected()
{
    QFETCH(int, reader);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    try {
        const QImage image = decode(Reader(reader), bytes);
        QFAIL(qPrintable(u"decoded a %1x%2 picture"_s.arg(image.width()).arg(image.height())));
    } catch (const EInvalidGraphic &e) {
        QVERIFY2(e.message().startsWith(message) && !e.message().endsWith(u": "_s),
                 qPrintable(u"message \"%1\", expected \"%2...\""_s.arg(e.message(), message)));
    }
}

void TestPictures::everyTruncationIsRejected_data()
{
    QTest::addColumn<int>("reader");
    QTest::addColumn<QByteArray>("bytes");
    // Widths with unpadded rows, so that every byte of the file is needed.
    QTest::newRow("24-bit bitmap") << int(Reader::Bmp) << makeBmp({.width = 4, .height = 3});
    QTest::newRow("4-bit bitmap") << int(Reader::Bmp) << makeBmp({.width = 8, .height = 2, .depth = 4});
    QTest::newRow("palette PNG") << int(Reader::Png) << makePng({.width = 6, .height = 5, .colourType = 3});
    QTest::newRow("Adam7 RGBA PNG") << int(Reader::Png)
                                    << makePng({.width = 6, .height = 5, .colourType = 6, .interlaced = true});
    QTest::newRow("colour JPEG") << int(Reader::Jpeg) << qtJpeg(19, 11);
    QTest::newRow("greyscale JPEG") << int(Reader::Jpeg) << qtJpeg(19, 11, QImage::Format_Grayscale8);
}

void TestPictures::everyTruncationIsRejected()
{
    QFETCH(int, reader);
    QFETCH(QByteArray, bytes);
    QVERIFY(!decode(Reader(reader), bytes).isNull());
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        // A copy, so that AddressSanitizer sees the end of the shortened buffer.
        const QByteArray cut(bytes.constData(), length);
        bool rejected = false;
        try {
            decode(Reader(reader), cut);
        } catch (const EInvalidGraphic &) {
            rejected = true;
        }
        QVERIFY2(rejected, qPrintable(u"the first %1 of %2 bytes decoded"_s.arg(length).arg(bytes.size())));
    }
}

void TestPictures::everyChangedPngByteIsRejected()
{
    // The signature and the CRCs cover every byte of a PNG file: any change to
    // one must be noticed, wherever it falls.
    const QByteArray png = makePng({.width = 5, .height = 4, .colourType = 3, .transparency = "\x10\x20"});
    QVERIFY(!readPng(png).isNull());
    for (qsizetype at = 0; at < png.size(); ++at)
        for (int flip : {0x01, 0x80}) {
            QByteArray changed = png;
            changed[at] = char(changed[at] ^ flip);
            bool rejected = false;
            try {
                readPng(changed);
            } catch (const EInvalidGraphic &) {
                rejected = true;
            }
            QVERIFY2(rejected, qPrintable(u"byte %1 xor %2 went unnoticed"_s.arg(at).arg(flip)));
        }
}

void TestPictures::signatureChoosesTheReader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("reader");
    QTest::newRow("bitmap") << makeBmp({.depth = 8}) << int(Reader::Bmp);
    QTest::newRow("PNG") << makePng({}) << int(Reader::Png);
    QTest::newRow("JPEG") << qtJpeg(9, 9) << int(Reader::Jpeg);
    // Damaged files still reach their own reader, which names the fault.
    QTest::newRow("damaged bitmap") << QByteArray("BM\0\0", 4) << int(Reader::Bmp);
    QTest::newRow("damaged PNG") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << int(Reader::Png);
    QTest::newRow("damaged JPEG") << QByteArray("\xff\xd8\xff\xe0", 4) << int(Reader::Jpeg);
}

void TestPictures::signatureChoosesTheReader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, reader);
    QImage direct;
    QString directError;
    try {
        direct = decode(Reader(reader), bytes);
    } catch (const EInvalidGraphic &e) {
        directError = e.message();
    }
    try {
        const QImage picked = readPicture(bytes);
        QVERIFY2(directError.isEmpty(), qPrintable(directError));
        QCOMPARE(picked, direct);
    } catch (const EInvalidGraphic &e) {
        QVERIFY(!directError.isEmpty());
        QCOMPARE(e.message(), directError);
    }
}

void TestPictures::bitmapLastRowMayLackPadding()
{
    // Some writers stop after the last pixel; the missing padding holds nothing.
    const QImage padded = readBmp(makeBmp({.width = 5, .height = 3}));
    QCOMPARE(readBmp(makeBmp({.width = 5, .height = 3, .dropLastRowPadding = true})), padded);
    QCOMPARE(readBmp(makeBmp({.width = 5, .height = 3, .topDown = true, .dropLastRowPadding = true})), padded);
}

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"
