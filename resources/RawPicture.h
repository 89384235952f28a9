// SPDX-License-Identifier: MIT
#pragma once

#include "resources/packed_format.h"
#include "resources/raw_format.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QResource>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstring>

// Reading and writing raw picture files (raw_format.h) with Qt, and writing packed ones
// (packed_format.h).
namespace resources::rawpicture {

static_assert(opaque == std::uint32_t(QImage::Format_RGB32) &&
              premultiplied == std::uint32_t(QImage::Format_ARGB32_Premultiplied));

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

// The bytes of a packed file (packed_format.h) for image, in bands of bandRows rows.
inline QByteArray pack(const QImage& image, int bandRows) {
    const QByteArray raw = encode(image);
    Header header;
    std::memcpy(&header, raw.constData(), sizeof header);
    const qsizetype rowBytes = qsizetype(header.width) * 4;
    QByteArray table, streams;
    for (qsizetype top = 0; top < qsizetype(header.height); top += bandRows) {
        const qsizetype rows = std::min<qsizetype>(bandRows, header.height - top);
        // qCompress puts the length before a zlib stream; the bands' ends say it.
        streams.append(
            qCompress(raw.mid(sizeof header + top * rowBytes, rows * rowBytes), 9).mid(4));
        const auto end = std::uint32_t(streams.size());
        table.append(reinterpret_cast<const char*>(&end), sizeof end);
    }
    packedpicture::Header packed{
        {}, header.width, header.height, header.format, std::uint32_t(bandRows)};
    std::memcpy(packed.magic, packedpicture::magic, sizeof packed.magic);
    return QByteArray(reinterpret_cast<const char*>(&packed), sizeof packed) + table + streams;
}

// The picture in bytes, sharing them (no copy) when they are suitably aligned: the bytes must
// then outlive the image. A null image when the bytes are not such a picture.
inline QImage wrap(const uchar* bytes, qint64 size) {
    const std::optional<Header> header = readHeader(bytes, size);
    if (!header)
        return {};
    const uchar* pixels = bytes + sizeof(Header);
    const QImage shared(pixels, int(header->width), int(header->height),
                        qsizetype(header->width) * 4, QImage::Format(header->format));
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
