// The picture readers: device-independent bitmaps, PNG and JPEG decoded from bytes into QImage.
#pragma once

#include <QByteArrayView>
#include <QImage>

// Every reader returns QImage::Format_RGB32 for an opaque picture and
// QImage::Format_ARGB32 (not premultiplied) for one with an alpha channel or a
// transparent colour. Malformed, truncated, unsupported or oversized input
// raises EInvalidGraphic (platform/exceptions.h) with an English message that
// starts with the format's name ("PNG: bad CRC in chunk IHDR").

// The largest picture any reader accepts: per side, and in total pixels.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr qint64 kMaxPicturePixels = qint64(64) * 1024 * 1024;

// A Windows device-independent bitmap file ("BM"): uncompressed, 1, 4 or 8 bits
// with a palette, or 24 bits; bottom-up or top-down.
QImage readBmp(QByteArrayView bytes);

// A PNG file: every colour type, bit depths 1 to 16 (16 bits keep their high
// byte), plain or Adam7 interlaced.
QImage readPng(QByteArrayView bytes);

// A sequential (baseline or extended) JPEG file, greyscale or colour.
QImage readJpeg(QByteArrayView bytes);

// Picks the reader by the signature at the start of the bytes.
QImage readPicture(QByteArrayView bytes);
