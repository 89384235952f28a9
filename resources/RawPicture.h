// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QResource>
#include <QString>
#include <cstdint>
#include <cstring>

// A picture stored as the very pixels the screen is painted with (premultiplied 32-bit, in this
// machine's byte order), so that showing it needs no decoder: an uncompressed resource is
// wrapped where it lies. The build writes the files; they never travel to another machine.
// Layout: the header below, then height rows of width pixels, 4 bytes each, no padding.
namespace resources::rawpicture {

inline constexpr char extension[] = "pixels";

struct Header {
    char magic[4];
    std::uint32_t width, height;
    std::uint32_t format; // QImage::Format_RGB32 or QImage::Format_ARGB32_Premultiplied
};
static_assert(sizeof(Header) == 16);
inline constexpr char magic[4] = {'V', 'P', 'X', '1'};

// The bytes of a file for image, converted to the format it is painted in.
inline QByteArray encode(const QImage& image) {
    const QImage pixels = image.convertToFormat(
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    Header header{{},
                  std::uint32_t(pixels.width()),
                  std::uint32_t(pixels.height()),
                  std::uint32_t(pixels.format())};
    std::memcpy(header.magic, magic, sizeof magic);
    QByteArray bytes(reinterpret_cast<const char*>(&header), sizeof header);
    for (int y = 0; y < pixels.height(); ++y)
        bytes.append(reinterpret_cast<const char*>(pixels.constScanLine(y)), pixels.width() * 4);
    return bytes;
}

// The picture in bytes, sharing them (no copy) when they are suitably aligned: the bytes must
// then outlive the image. A null image when the bytes are not such a picture.
inline QImage wrap(const uchar* bytes, qint64 size) {
    Header header;
    if (!bytes || size < qint64(sizeof header))
        return {};
    std::memcpy(&header, bytes, sizeof header);
    const bool known = header.format == QImage::Format_RGB32 ||
                       header.format == QImage::Format_ARGB32_Premultiplied;
    if (std::memcmp(header.magic, magic, sizeof magic) != 0 || !known || header.width == 0 ||
        header.height == 0 || header.width > 32768 || header.height > 32768 ||
        size != qint64(sizeof header) + qint64(header.width) * header.height * 4)
        return {};
    const uchar* pixels = bytes + sizeof header;
    const QImage shared(pixels, int(header.width), int(header.height), qsizetype(header.width) * 4,
                        QImage::Format(header.format));
    // QImage needs 32-bit aligned rows; otherwise take a copy.
    return reinterpret_cast<quintptr>(pixels) % 4 == 0 ? shared : shared.copy();
}

// The picture in the file at path (a resource or on disk); a null image when it is none. An
// uncompressed resource stays in the binary for the life of the process, so its bytes are shared.
inline QImage read(const QString& path) {
    const QResource resource(path);
    if (resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression)
        return wrap(resource.data(), resource.size());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return wrap(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size())
        .copy(); // the bytes go with this function
}

} // namespace resources::rawpicture
