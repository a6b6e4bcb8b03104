// File writers of the artwork generator: BMP (24-bit, 8-bit palette) and RGB PNG byte by byte, baseline JPEG via libjpeg.
#include "artgen.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QMap>

#include <cstdio>
#include <jpeglib.h>
#include <zlib.h>

#include <cstdlib>

#include <algorithm>

namespace artgen {
namespace {

void putLe16(QByteArray &out, quint32 v)
{
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

void putLe32(QByteArray &out, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xff));
}

void putBe32(QByteArray &out, quint32 v)
{
    for (int i = 3; i >= 0; --i)
        out.append(char((v >> (8 * i)) & 0xff));
}

bool saveBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// File header and BITMAPINFOHEADER of an uncompressed (BI_RGB) bottom-up bitmap.
void putBmpHeaders(QByteArray &out, int width, int height, int bitCount, int paletteSize,
                   int imageSize)
{
    const quint32 offBits = 14 + 40 + 4 * paletteSize;
    out.append("BM", 2);
    putLe32(out, offBits + imageSize);
    putLe32(out, 0);
    putLe32(out, offBits);
    putLe32(out, 40);
    putLe32(out, quint32(width));
    putLe32(out, quint32(height)); // positive: rows are stored bottom-up
    putLe16(out, 1);
    putLe16(out, quint32(bitCount));
    putLe32(out, 0); // BI_RGB
    putLe32(out, quint32(imageSize));
    putLe32(out, 3780); // 96 pixels per inch
    putLe32(out, 3780);
    putLe32(out, quint32(paletteSize));
    putLe32(out, 0);
}

void putPngChunk(QByteArray &out, const char type[4], const QByteArray &data)
{
    putBe32(out, quint32(data.size()));
    QByteArray body(type, 4);
    body.append(data);
    out.append(body);
    putBe32(out, quint32(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size()))));
}

} // namespace

bool writeBmp24(const QString &path, const QImage &image)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    const int stride = (w * 3 + 3) & ~3;
    QByteArray out;
    putBmpHeaders(out, w, h, 24, 0, stride * h);
    for (int y = h - 1; y >= 0; --y) {
        const auto *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        QByteArray row(stride, '\0');
        for (int x = 0; x < w; ++x) {
            row[3 * x] = char(qBlue(line[x]));
            row[3 * x + 1] = char(qGreen(line[x]));
            row[3 * x + 2] = char(qRed(line[x]));
        }
        out.append(row);
    }
    return saveBytes(path, out);
}

bool writeBmp8(const QString &path, const QImage &image)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    const QRgb white = qRgb(255, 255, 255);

    // Few pixels, so the colours nearly always fit a palette as they are; if
    // not, coarser and coarser buckets are averaged until they do. White stays
    // exact: the menu treats it as the transparent colour.
    QMap<QRgb, QRgb> toPalette;
    for (int shift = 0; shift <= 4; ++shift) {
        const QRgb mask = qRgb(0xff << shift & 0xff, 0xff << shift & 0xff, 0xff << shift & 0xff);
        QMap<QRgb, QList<QRgb>> buckets;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const QRgb c = img.pixel(x, y) | 0xff000000u;
                buckets[c == white ? white : (c & mask) | 0xff000000u].append(c);
            }
        if (buckets.size() > 256)
            continue;
        toPalette.clear();
        for (auto it = buckets.cbegin(); it != buckets.cend(); ++it) {
            long r = 0, g = 0, b = 0;
            for (QRgb c : it.value()) {
                r += qRed(c);
                g += qGreen(c);
                b += qBlue(c);
            }
            const long n = it.value().size();
            const QRgb avg = it.key() == white ? white : qRgb(int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n));
            for (QRgb c : it.value())
                toPalette[c] = avg;
        }
        break;
    }
    if (toPalette.isEmpty()) {
        std::fprintf(stderr, "artgen: %s has too many colours for a palette\n", qPrintable(path));
        return false;
    }

    QList<QRgb> palette = toPalette.values();
    std::sort(palette.begin(), palette.end());
    palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
    palette.removeOne(white);
    palette.prepend(white);
    QHash<QRgb, int> index;
    for (int i = 0; i < palette.size(); ++i)
        index.insert(palette[i], i);

    const int stride = (w + 3) & ~3;
    QByteArray out;
    putBmpHeaders(out, w, h, 8, 256, stride * h);
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < palette.size() ? palette[i] : 0;
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        out.append('\0');
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < w; ++x)
            row[x] = char(index.value(toPalette.value(img.pixel(x, y) | 0xff000000u)));
        out.append(row);
    }
    return saveBytes(path, out);
}

bool writePngRgb(const QString &path, const QImage &image)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();

    QByteArray raw;
    raw.reserve((w * 3 + 1) * h);
    for (int y = 0; y < h; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        raw.append('\0'); // filter type None
        for (int x = 0; x < w; ++x) {
            raw.append(char(qRed(line[x])));
            raw.append(char(qGreen(line[x])));
            raw.append(char(qBlue(line[x])));
        }
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    QByteArray packed(int(packedSize), '\0');
    if (compress2(reinterpret_cast<Bytef *>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef *>(raw.constData()), uLong(raw.size()), 9) != Z_OK) {
        std::fprintf(stderr, "artgen: cannot compress %s\n", qPrintable(path));
        return false;
    }
    packed.truncate(int(packedSize));

    QByteArray ihdr;
    putBe32(ihdr, quint32(w));
    putBe32(ihdr, quint32(h));
    ihdr.append(char(8)); // bits per channel
    ihdr.append(char(2)); // colour type: RGB, no alpha
    ihdr.append(char(0)); // deflate
    ihdr.append(char(0)); // adaptive filtering
    ihdr.append(char(0)); // not interlaced

    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    putPngChunk(out, "IHDR", ihdr);
    putPngChunk(out, "IDAT", packed);
    putPngChunk(out, "IEND", QByteArray());
    return saveBytes(path, out);
}

bool writeJpeg(const QString &path, const QImage &image, int quality)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB888);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;

    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(img.width());
    cinfo.image_height = JDIMENSION(img.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    // No chroma subsampling: the edge pictures are one pixel wide or carry
    // one-pixel lines, and halving the colour would smear them.
    for (int i = 0; i < cinfo.num_components; ++i) {
        cinfo.comp_info[i].h_samp_factor = 1;
        cinfo.comp_info[i].v_samp_factor = 1;
    }
    cinfo.density_unit = 1;
    cinfo.X_density = 96;
    cinfo.Y_density = 96;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(img.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);

    const QByteArray bytes(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return saveBytes(path, bytes);
}

} // namespace artgen
