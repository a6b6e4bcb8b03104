// The picture readers: our own BMP and PNG decoders (PNG over zlib inflate) and JPEG through libjpeg.
#include "platform/pictures.h"

#include "platform/exceptions.h"

#include <QString>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it, and jerror.h needs jpeglib.h.
#include <jpeglib.h>
#include <jerror.h>
#include <zlib.h>

using namespace Qt::StringLiterals;

namespace {

[[noreturn]] void fail(const QString &message)
{
    throw EInvalidGraphic(message);
}

// An empty string when the size is acceptable, else why not.
QString sizeProblem(qint64 width, qint64 height)
{
    if (width <= 0 || height <= 0)
        return u"bad picture size %1 x %2"_s.arg(width).arg(height);
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
        return u"picture too large (%1 x %2)"_s.arg(width).arg(height);
    return {};
}

void checkSize(const QString &format, qint64 width, qint64 height)
{
    const QString problem = sizeProblem(width, height);
    if (!problem.isEmpty())
        fail(format + u": "_s + problem);
}

// The caller has checked that the bytes are there.
quint32 readBigEndian32(const uchar *p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

quint32 readLittleEndian32(const uchar *p)
{
    return quint32(p[3]) << 24 | quint32(p[2]) << 16 | quint32(p[1]) << 8 | quint32(p[0]);
}

quint16 readLittleEndian16(const uchar *p)
{
    return quint16(p[1] << 8 | p[0]);
}

// ---------------------------------------------------------------------------
// Device-independent bitmaps

constexpr qint64 kBmpFileHeaderSize = 14;
constexpr qint64 kBmpInfoHeaderSize = 40;

QString bmpCompressionName(quint32 compression)
{
    switch (compression) {
    case 1: return u"RLE8"_s;
    case 2: return u"RLE4"_s;
    case 3: return u"BITFIELDS"_s;
    case 4: return u"JPEG"_s;
    case 5: return u"PNG"_s;
    case 6: return u"ALPHABITFIELDS"_s;
    default: return QString::number(compression);
    }
}

} // namespace

QImage readBmp(QByteArrayView bytes)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const qint64 size = bytes.size();
    if (size < 2 || data[0] != 'B' || data[1] != 'M')
        fail(u"Bitmap: bad signature"_s);
    if (size < kBmpFileHeaderSize + 4)
        fail(u"Bitmap: truncated header"_s);
    const qint64 pixelOffset = readLittleEndian32(data + 10);
    const qint64 infoSize = readLittleEndian32(data + 14);
    // V4 and V5 headers extend the 40-byte one; their extra fields only matter
    // for compressions we do not read, so the pixel offset is all we need.
    if (infoSize < kBmpInfoHeaderSize)
        fail(u"Bitmap: unsupported header size %1"_s.arg(infoSize));
    if (size < kBmpFileHeaderSize + infoSize)
        fail(u"Bitmap: truncated header"_s);

    const uchar *info = data + kBmpFileHeaderSize;
    const qint64 width = qint32(readLittleEndian32(info + 4));
    const qint64 signedHeight = qint32(readLittleEndian32(info + 8));
    const int planes = readLittleEndian16(info + 12);
    const int depth = readLittleEndian16(info + 14);
    const quint32 compression = readLittleEndian32(info + 16);
    const qint64 coloursUsed = readLittleEndian32(info + 32);

    if (planes != 1)
        fail(u"Bitmap: bad plane count %1"_s.arg(planes));
    if (compression != 0)
        fail(u"Bitmap: unsupported compression %1"_s.arg(bmpCompressionName(compression)));
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24)
        fail(u"Bitmap: unsupported bit depth %1"_s.arg(depth));
    // A negative height stores the rows top-down.
    const bool topDown = signedHeight < 0;
    const qint64 height = topDown ? -signedHeight : signedHeight;
    checkSize(u"Bitmap"_s, width, height);

    QRgb palette[256];
    qint64 paletteSize = 0;
    if (depth <= 8) {
        const qint64 maxColours = qint64(1) << depth;
        paletteSize = coloursUsed == 0 ? maxColours : coloursUsed;
        if (paletteSize > maxColours)
            fail(u"Bitmap: too many palette colours (%1 for %2 bits)"_s.arg(paletteSize).arg(depth));
        const qint64 paletteStart = kBmpFileHeaderSize + infoSize;
        if (size - paletteStart < paletteSize * 4)
            fail(u"Bitmap: truncated palette"_s);
        for (qint64 i = 0; i < paletteSize; ++i) {
            const uchar *entry = data + paletteStart + i * 4;
            palette[i] = qRgb(entry[2], entry[1], entry[0]);
        }
    }

    if (pixelOffset > size)
        fail(u"Bitmap: pixel data offset past the end"_s);
    if (pixelOffset < kBmpFileHeaderSize + infoSize)
        fail(u"Bitmap: pixel data offset inside the header"_s);
    // Rows are padded to 4 bytes; the last row's padding may be missing.
    const qint64 rowBytes = (width * depth + 7) / 8;
    const qint64 stride = (width * depth + 31) / 32 * 4;
    if (size - pixelOffset < stride * (height - 1) + rowBytes)
        fail(u"Bitmap: truncated pixel data"_s);

    QImage image(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull())
        fail(u"Bitmap: out of memory"_s);
    for (qint64 row = 0; row < height; ++row) {
        const uchar *src = data + pixelOffset + row * stride;
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(int(topDown ? row : height - 1 - row)));
        if (depth == 24) {
            for (qint64 x = 0; x < width; ++x, src += 3)
                out[x] = qRgb(src[2], src[1], src[0]);
            continue;
        }
        const int mask = (1 << depth) - 1;
        for (qint64 x = 0; x < width; ++x) {
            const qint64 bit = x * depth;
            const int index = src[bit / 8] >> (8 - depth - bit % 8) & mask;
            if (index >= paletteSize)
                fail(u"Bitmap: palette index %1 out of range"_s.arg(index));
            out[x] = palette[index];
        }
    }
    return image;
}

// ---------------------------------------------------------------------------
// PNG

namespace {

constexpr uchar kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

struct PngHeader
{
    qint64 width = 0;
    qint64 height = 0;
    int depth = 0;
    int colourType = 0;
    bool interlaced = false;
    int channels = 0;
};

// One reduced image of the Adam7 scheme (or the whole image when not interlaced).
struct PngPass
{
    int xStart, yStart, xStep, yStep;
};

constexpr PngPass kAdam7[7] = {
    {0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
    {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2},
};
constexpr PngPass kWholeImage[1] = {{0, 0, 1, 1}};

qint64 passSpan(qint64 size, int start, int step)
{
    return size > start ? (size - start + step - 1) / step : 0;
}

qint64 pngRowBytes(const PngHeader &header, qint64 pixels)
{
    return (pixels * header.channels * header.depth + 7) / 8;
}

// The decompressed size of the filtered scanlines of all passes.
qint64 pngRawSize(const PngHeader &header)
{
    qint64 total = 0;
    const PngPass *passes = header.interlaced ? kAdam7 : kWholeImage;
    const int passCount = header.interlaced ? 7 : 1;
    for (int i = 0; i < passCount; ++i) {
        const qint64 w = passSpan(header.width, passes[i].xStart, passes[i].xStep);
        const qint64 h = passSpan(header.height, passes[i].yStart, passes[i].yStep);
        // An empty pass has no scanlines at all, not even filter bytes.
        if (w > 0 && h > 0)
            total += h * (1 + pngRowBytes(header, w));
    }
    return total;
}

PngHeader parsePngHeader(const uchar *data, quint32 length)
{
    if (length != 13)
        fail(u"PNG: bad IHDR length %1"_s.arg(length));
    PngHeader header;
    const quint32 width = readBigEndian32(data);
    const quint32 height = readBigEndian32(data + 4);
    if (width > 0x7fffffffu || height > 0x7fffffffu)
        fail(u"PNG: bad picture size %1 x %2"_s.arg(width).arg(height));
    header.width = width;
    header.height = height;
    checkSize(u"PNG"_s, header.width, header.height);
    header.depth = data[8];
    header.colourType = data[9];
    const int depth = header.depth;
    bool depthOk = false;
    switch (header.colourType) {
    case 0: // greyscale
        header.channels = 1;
        depthOk = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        break;
    case 2: // truecolour
        header.channels = 3;
        depthOk = depth == 8 || depth == 16;
        break;
    case 3: // palette
        header.channels = 1;
        depthOk = depth == 1 || depth == 2 || depth == 4 || depth == 8;
        break;
    case 4: // greyscale with alpha
        header.channels = 2;
        depthOk = depth == 8 || depth == 16;
        break;
    case 6: // truecolour with alpha
        header.channels = 4;
        depthOk = depth == 8 || depth == 16;
        break;
    default:
        fail(u"PNG: bad colour type %1"_s.arg(header.colourType));
    }
    if (!depthOk)
        fail(u"PNG: bad bit depth %1 for colour type %2"_s.arg(depth).arg(header.colourType));
    if (data[10] != 0)
        fail(u"PNG: unknown compression method %1"_s.arg(data[10]));
    if (data[11] != 0)
        fail(u"PNG: unknown filter method %1"_s.arg(data[11]));
    if (data[12] > 1)
        fail(u"PNG: unknown interlace method %1"_s.arg(data[12]));
    header.interlaced = data[12] == 1;
    return header;
}

// Inflates the concatenated IDAT data chunk by chunk into a buffer that grows
// with what the stream really yields, never past the size the header implies:
// a header that promises a huge picture costs nothing until the data is there.
class PngInflater
{
public:
    explicit PngInflater(qint64 expected) : m_expected(expected)
    {
        if (inflateInit(&m_stream) != Z_OK)
            fail(u"PNG: cannot start zlib"_s);
    }
    ~PngInflater() { inflateEnd(&m_stream); }
    PngInflater(const PngInflater &) = delete;
    PngInflater &operator=(const PngInflater &) = delete;

    void feed(const uchar *data, quint32 length)
    {
        // Compressed data past the end of the stream or past the image is
        // ignored, as other readers do.
        if (m_ended || m_produced == m_expected)
            return;
        m_stream.next_in = const_cast<Bytef *>(data);
        m_stream.avail_in = length;
        while (m_stream.avail_in > 0 && m_produced < m_expected) {
            if (qint64(m_out.size()) == m_produced) {
                const qint64 grown = std::min(m_expected, std::max<qint64>(qint64(m_out.size()) * 2, 65536));
                m_out.resize(size_t(grown));
            }
            m_stream.next_out = m_out.data() + m_produced;
            m_stream.avail_out = uInt(qint64(m_out.size()) - m_produced);
            const int result = inflate(&m_stream, Z_NO_FLUSH);
            m_produced = qint64(m_out.size()) - m_stream.avail_out;
            if (result == Z_STREAM_END) {
                m_ended = true;
                break;
            }
            // No progress: not expected with input and room left, but never spin on it.
            if (result == Z_BUF_ERROR)
                break;
            if (result != Z_OK) {
                const QString detail = m_stream.msg ? QString::fromLatin1(m_stream.msg)
                                                    : u"error %1"_s.arg(result);
                fail(u"PNG: corrupt zlib stream (%1)"_s.arg(detail));
            }
        }
        m_stream.next_in = nullptr;
        m_stream.avail_in = 0;
    }

    bool complete() const { return m_produced == m_expected; }
    uchar *data() { return m_out.data(); }

private:
    z_stream m_stream{};
    std::vector<uchar> m_out;
    qint64 m_expected;
    qint64 m_produced = 0;
    bool m_ended = false;
};

int paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// Undoes the row's filter in place; prior is the row above after unfiltering,
// or null for the first row of a pass.
void unfilterRow(int type, uchar *row, const uchar *prior, qint64 length, int pixelBytes)
{
    switch (type) {
    case 0:
        break;
    case 1: // Sub
        for (qint64 i = pixelBytes; i < length; ++i)
            row[i] = uchar(row[i] + row[i - pixelBytes]);
        break;
    case 2: // Up
        if (prior)
            for (qint64 i = 0; i < length; ++i)
                row[i] = uchar(row[i] + prior[i]);
        break;
    case 3: // Average
        for (qint64 i = 0; i < length; ++i) {
            const int left = i >= pixelBytes ? row[i - pixelBytes] : 0;
            const int up = prior ? prior[i] : 0;
            row[i] = uchar(row[i] + (left + up) / 2);
        }
        break;
    case 4: // Paeth
        for (qint64 i = 0; i < length; ++i) {
            const int left = i >= pixelBytes ? row[i - pixelBytes] : 0;
            const int up = prior ? prior[i] : 0;
            const int upLeft = prior && i >= pixelBytes ? prior[i - pixelBytes] : 0;
            row[i] = uchar(row[i] + paeth(left, up, upLeft));
        }
        break;
    default:
        fail(u"PNG: bad filter type %1"_s.arg(type));
    }
}

struct PngColours
{
    QRgb palette[256] = {};
    int paletteSize = 0;
    bool hasTransparentColour = false; // a tRNS colour for greyscale or truecolour
    quint16 transparent[3] = {};
    bool hasAlpha = false;
};

// Sample number index of a row at the header's bit depth, at full precision.
inline int pngSample(const uchar *row, qint64 index, int depth)
{
    switch (depth) {
    case 8: return row[index];
    case 16: return row[index * 2] << 8 | row[index * 2 + 1];
    default: {
        const qint64 bit = index * depth;
        return row[bit / 8] >> (8 - depth - bit % 8) & ((1 << depth) - 1);
    }
    }
}

// A sample scaled to 8 bits: 16-bit samples keep their high byte.
inline int pngTo8(int sample, int depth)
{
    if (depth == 16)
        return sample >> 8;
    if (depth == 8)
        return sample;
    return sample * 255 / ((1 << depth) - 1);
}

void convertPngRow(const PngHeader &header, const PngColours &colours, const uchar *row, qint64 pixels,
                   QRgb *out, int outStep)
{
    const int depth = header.depth;
    for (qint64 x = 0; x < pixels; ++x, out += outStep) {
        switch (header.colourType) {
        case 0: {
            const int v = pngSample(row, x, depth);
            const int grey = pngTo8(v, depth);
            const bool clear = colours.hasTransparentColour && v == colours.transparent[0];
            *out = qRgba(grey, grey, grey, clear ? 0 : 255);
            break;
        }
        case 2: {
            const int r = pngSample(row, x * 3, depth);
            const int g = pngSample(row, x * 3 + 1, depth);
            const int b = pngSample(row, x * 3 + 2, depth);
            const bool clear = colours.hasTransparentColour && r == colours.transparent[0]
                               && g == colours.transparent[1] && b == colours.transparent[2];
            *out = qRgba(pngTo8(r, depth), pngTo8(g, depth), pngTo8(b, depth), clear ? 0 : 255);
            break;
        }
        case 3: {
            const int index = pngSample(row, x, depth);
            if (index >= colours.paletteSize)
                fail(u"PNG: palette index %1 out of range"_s.arg(index));
            *out = colours.palette[index];
            break;
        }
        case 4: {
            const int grey = pngTo8(pngSample(row, x * 2, depth), depth);
            *out = qRgba(grey, grey, grey, pngTo8(pngSample(row, x * 2 + 1, depth), depth));
            break;
        }
        default: {
            *out = qRgba(pngTo8(pngSample(row, x * 4, depth), depth),
                         pngTo8(pngSample(row, x * 4 + 1, depth), depth),
                         pngTo8(pngSample(row, x * 4 + 2, depth), depth),
                         pngTo8(pngSample(row, x * 4 + 3, depth), depth));
            break;
        }
        }
    }
}

QImage decodePngPixels(const PngHeader &header, const PngColours &colours, uchar *raw)
{
    QImage image(int(header.width), int(header.height),
                 colours.hasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        fail(u"PNG: out of memory"_s);
    const int pixelBytes = std::max(1, header.channels * header.depth / 8);
    const PngPass *passes = header.interlaced ? kAdam7 : kWholeImage;
    const int passCount = header.interlaced ? 7 : 1;
    for (int p = 0; p < passCount; ++p) {
        const PngPass &pass = passes[p];
        const qint64 w = passSpan(header.width, pass.xStart, pass.xStep);
        const qint64 h = passSpan(header.height, pass.yStart, pass.yStep);
        if (w == 0 || h == 0)
            continue;
        const qint64 rowBytes = pngRowBytes(header, w);
        const uchar *prior = nullptr;
        for (qint64 y = 0; y < h; ++y) {
            const int filter = raw[0];
            uchar *row = raw + 1;
            unfilterRow(filter, row, prior, rowBytes, pixelBytes);
            auto *out = reinterpret_cast<QRgb *>(image.scanLine(int(pass.yStart + y * pass.yStep)));
            convertPngRow(header, colours, row, w, out + pass.xStart, pass.xStep);
            prior = row;
            raw += 1 + rowBytes;
        }
    }
    return image;
}

QString chunkName(const uchar *type)
{
    return QString::fromLatin1(reinterpret_cast<const char *>(type), 4);
}

bool isChunk(const uchar *type, const char *name)
{
    return std::memcmp(type, name, 4) == 0;
}

} // namespace

QImage readPng(QByteArrayView bytes)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const qint64 size = bytes.size();
    if (size < qint64(sizeof kPngSignature) || std::memcmp(data, kPngSignature, sizeof kPngSignature) != 0)
        fail(u"PNG: bad signature"_s);

    PngHeader header;
    PngColours colours;
    std::unique_ptr<PngInflater> inflater;
    bool seenHeader = false;
    bool seenPalette = false;
    bool idatEnded = false;
    qint64 pos = sizeof kPngSignature;
    for (;;) {
        if (pos == size)
            fail(u"PNG: missing IEND chunk"_s);
        if (size - pos < 8)
            fail(u"PNG: truncated chunk header"_s);
        const quint32 length = readBigEndian32(data + pos);
        const uchar *type = data + pos + 4;
        for (int i = 0; i < 4; ++i)
            if (!((type[i] >= 'A' && type[i] <= 'Z') || (type[i] >= 'a' && type[i] <= 'z')))
                fail(u"PNG: bad chunk type"_s);
        const QString name = chunkName(type);
        if (length > 0x7fffffffu)
            fail(u"PNG: chunk %1 too long"_s.arg(name));
        if (size - pos - 8 < qint64(length) + 4)
            fail(u"PNG: truncated chunk %1"_s.arg(name));
        const uchar *body = type + 4;
        const bool crcOk = crc32(crc32(0, nullptr, 0), type, uInt(length) + 4) == readBigEndian32(body + length);
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
        // (A fuzzing build skips this, so that mutated chunks reach the decoder.)
        if (!crcOk)
            fail(u"PNG: bad CRC in chunk %1"_s.arg(name));
#else
        Q_UNUSED(crcOk);
#endif
        pos += 12 + qint64(length);

        const bool isHeader = isChunk(type, "IHDR");
        if (!seenHeader && !isHeader)
            fail(u"PNG: first chunk is %1, not IHDR"_s.arg(name));
        const bool isData = isChunk(type, "IDAT");
        if (inflater && !isData)
            idatEnded = true;

        if (isHeader) {
            if (seenHeader)
                fail(u"PNG: duplicate IHDR"_s);
            header = parsePngHeader(body, length);
            colours.hasAlpha = header.colourType == 4 || header.colourType == 6;
            seenHeader = true;
        } else if (isChunk(type, "PLTE")) {
            if (seenPalette)
                fail(u"PNG: duplicate PLTE"_s);
            if (inflater)
                fail(u"PNG: PLTE after IDAT"_s);
            if (header.colourType == 0 || header.colourType == 4)
                fail(u"PNG: PLTE in a greyscale picture"_s);
            if (length == 0 || length % 3 != 0 || length / 3 > 256)
                fail(u"PNG: bad PLTE length %1"_s.arg(length));
            seenPalette = true;
            // Truecolour pictures may carry a suggested palette; only colour type 3 uses it.
            if (header.colourType == 3) {
                colours.paletteSize = int(length / 3);
                for (int i = 0; i < colours.paletteSize; ++i)
                    colours.palette[i] = qRgb(body[i * 3], body[i * 3 + 1], body[i * 3 + 2]);
            }
        } else if (isChunk(type, "tRNS")) {
            // tRNS is ancillary: a misplaced or malformed one is ignored, as other readers do.
            if (inflater)
                continue;
            if (header.colourType == 3 && seenPalette && qint64(length) <= colours.paletteSize) {
                for (quint32 i = 0; i < length; ++i)
                    colours.palette[i] = qRgba(qRed(colours.palette[i]), qGreen(colours.palette[i]),
                                               qBlue(colours.palette[i]), body[i]);
                colours.hasAlpha = true;
            } else if (header.colourType == 0 && length == 2) {
                colours.transparent[0] = quint16(body[0] << 8 | body[1]);
                colours.hasTransparentColour = colours.hasAlpha = true;
            } else if (header.colourType == 2 && length == 6) {
                for (int i = 0; i < 3; ++i)
                    colours.transparent[i] = quint16(body[i * 2] << 8 | body[i * 2 + 1]);
                colours.hasTransparentColour = colours.hasAlpha = true;
            }
        } else if (isData) {
            if (idatEnded)
                fail(u"PNG: IDAT chunks are not consecutive"_s);
            if (!inflater) {
                if (header.colourType == 3 && !seenPalette)
                    fail(u"PNG: missing PLTE before IDAT"_s);
                inflater = std::make_unique<PngInflater>(pngRawSize(header));
            }
            inflater->feed(body, length);
        } else if (isChunk(type, "IEND")) {
            break;
        } else if (!(type[0] & 0x20)) {
            // A lowercase first letter marks a chunk safe to skip; this one is not.
            fail(u"PNG: unknown critical chunk %1"_s.arg(name));
        }
    }

    if (!inflater)
        fail(u"PNG: missing IDAT chunk"_s);
    if (!inflater->complete())
        fail(u"PNG: image data too short"_s);
    return decodePngPixels(header, colours, inflater->data());
}

// ---------------------------------------------------------------------------
// JPEG
//
// libjpeg reports fatal errors by calling error_exit, which must not return.
// Ours longjmps back to the setjmp in the small functions below. Between a
// setjmp and the libjpeg call that may jump, no C++ object with a destructor
// lives, and nothing is thrown: the C++ caller learns of the failure from the
// return value and throws once the libjpeg frames are gone.

namespace {

struct JpegErrorManager
{
    jpeg_error_mgr base; // first, so libjpeg's pointer to it is a pointer to us
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct JpegJob
{
    jpeg_decompress_struct info;
    JpegErrorManager error;
};

void jpegErrorExit(j_common_ptr info)
{
    auto *error = reinterpret_cast<JpegErrorManager *>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

// Warnings about damaged data (a truncated file, bad entropy codes) are fatal
// for us: libjpeg would otherwise fill the rest of the picture with grey.
void jpegEmitMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return; // trace messages
    switch (info->err->msg_code) {
    case JWRN_ADOBE_XFORM:
    case JWRN_JFIF_MAJOR:
    case JWRN_BOGUS_ICC:
        ++info->err->num_warnings;
        return;
    default:
        jpegErrorExit(info);
    }
}

void jpegOutputMessage(j_common_ptr)
{
}

// Reads the header and chooses the output colours. False when libjpeg failed.
bool jpegReadHeader(JpegJob *job, const uchar *data, unsigned long size)
{
    if (setjmp(job->error.jump))
        return false;
    jpeg_create_decompress(&job->info);
    jpeg_mem_src(&job->info, data, size);
    jpeg_read_header(&job->info, TRUE);
    // Other colour spaces keep libjpeg's choice; the caller refuses them.
    if (job->info.jpeg_color_space == JCS_GRAYSCALE)
        job->info.out_color_space = JCS_GRAYSCALE;
    else if (job->info.jpeg_color_space == JCS_YCbCr || job->info.jpeg_color_space == JCS_RGB)
        job->info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&job->info);
    return true;
}

void jpegDecodeRows(JpegJob *job, uchar *bits, qsizetype bytesPerLine)
{
    jpeg_decompress_struct *info = &job->info;
    jpeg_start_decompress(info);
    const JDIMENSION width = info->output_width;
    const int components = info->output_components;
    // Allocated from libjpeg's own pool, so a jump out of here cannot leak it.
    JSAMPARRAY row = (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE,
                                                width * JDIMENSION(components), 1);
    while (info->output_scanline < info->output_height) {
        QRgb *out = reinterpret_cast<QRgb *>(bits + qsizetype(info->output_scanline) * bytesPerLine);
        if (jpeg_read_scanlines(info, row, 1) != 1)
            ERREXIT(info, JERR_INPUT_EOF);
        const JSAMPLE *src = row[0];
        if (components == 1) {
            for (JDIMENSION x = 0; x < width; ++x)
                out[x] = qRgb(src[x], src[x], src[x]);
        } else {
            for (JDIMENSION x = 0; x < width; ++x, src += 3)
                out[x] = qRgb(src[0], src[1], src[2]);
        }
    }
    jpeg_finish_decompress(info);
}

// Decodes into an image the caller allocated. False when libjpeg failed.
bool jpegDecode(JpegJob *job, uchar *bits, qsizetype bytesPerLine)
{
    if (setjmp(job->error.jump))
        return false;
    jpegDecodeRows(job, bits, bytesPerLine);
    return true;
}

QString jpegMessage(const JpegJob &job)
{
    return u"JPEG: "_s + QString::fromLatin1(job.error.message);
}

// Releases libjpeg's memory however readJpeg leaves; jpeg_destroy is safe on a
// zeroed or half-created object.
struct JpegJobCleanup
{
    JpegJob *job;
    ~JpegJobCleanup() { jpeg_destroy_decompress(&job->info); }
};

} // namespace

QImage readJpeg(QByteArrayView bytes)
{
    // Plain C structures: zeroing is their proper start state.
    auto job = std::make_unique<JpegJob>();
    std::memset(job.get(), 0, sizeof(JpegJob));
    job->info.err = jpeg_std_error(&job->error.base);
    job->error.base.error_exit = jpegErrorExit;
    job->error.base.emit_message = jpegEmitMessage;
    job->error.base.output_message = jpegOutputMessage;
    const JpegJobCleanup cleanup{job.get()};

    if (!jpegReadHeader(job.get(), reinterpret_cast<const uchar *>(bytes.data()),
                        static_cast<unsigned long>(bytes.size())))
        fail(jpegMessage(*job));
    const J_COLOR_SPACE space = job->info.jpeg_color_space;
    if (space != JCS_GRAYSCALE && space != JCS_YCbCr && space != JCS_RGB)
        fail(u"JPEG: unsupported colour space (CMYK or YCCK)"_s);
    // A progressive picture needs its whole coefficient array in memory; the
    // program's own pictures are sequential.
    if (job->info.progressive_mode)
        fail(u"JPEG: progressive pictures are not supported"_s);
    checkSize(u"JPEG"_s, job->info.output_width, job->info.output_height);

    QImage image(int(job->info.output_width), int(job->info.output_height), QImage::Format_RGB32);
    if (image.isNull())
        fail(u"JPEG: out of memory"_s);
    if (!jpegDecode(job.get(), image.bits(), image.bytesPerLine()))
        fail(jpegMessage(*job));
    return image;
}

// ---------------------------------------------------------------------------

QImage readPicture(QByteArrayView bytes)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const qint64 size = bytes.size();
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return readBmp(bytes);
    if (size >= qint64(sizeof kPngSignature) && std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0)
        return readPng(bytes);
    if (size >= 2 && data[0] == 0xff && data[1] == 0xd8)
        return readJpeg(bytes);
    fail(u"Unknown picture format: no BMP, PNG or JPEG signature"_s);
}
