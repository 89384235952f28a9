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
#include <utility>

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

namespace detail {

// A row of pixelBytes-byte pixels filtered (packed_format.h) with one filter.
inline QByteArray filterRow(unsigned filter, const uchar* row, const uchar* above, qsizetype size,
                            qsizetype bpp) {
    QByteArray filtered(size + 1, Qt::Uninitialized);
    filtered[0] = char(filter);
    for (qsizetype i = 0; i < size; ++i) {
        const uchar a = i >= bpp ? row[i - bpp] : 0, c = i >= bpp ? above[i - bpp] : 0;
        filtered[i + 1] = char(row[i] - packedpicture::predict(filter, a, above[i], c));
    }
    return filtered;
}

// The same with the filter that leaves the smallest bytes, taken as signed, as PNG encoders
// choose.
inline QByteArray filterRow(const uchar* row, const uchar* above, qsizetype size, qsizetype bpp) {
    QByteArray best;
    qint64 bestCost = -1;
    for (unsigned filter = packedpicture::none; filter < packedpicture::filters; ++filter) {
        const QByteArray filtered = filterRow(filter, row, above, size, bpp);
        qint64 cost = 0;
        for (qsizetype i = 1; i < filtered.size(); ++i)
            cost += std::min(uchar(filtered[i]), uchar(-uchar(filtered[i])));
        if (bestCost < 0 || cost < bestCost) {
            best = filtered;
            bestCost = cost;
        }
    }
    return best;
}

// Rows [top, end) of `pixels` as a zlib stream: each row with one filter, or (given `filters`)
// each with the one filterRow chooses.
inline QByteArray deflateRows(const QByteArray& pixels, qsizetype rowBytes, qsizetype bpp,
                              qsizetype top, qsizetype end, unsigned filter) {
    const QByteArray nothing(rowBytes, '\0'); // above a band's first row
    QByteArray rows;
    for (qsizetype y = top; y < end; ++y) {
        const auto* row = reinterpret_cast<const uchar*>(pixels.constData()) + y * rowBytes;
        const auto* above =
            y > top ? row - rowBytes : reinterpret_cast<const uchar*>(nothing.constData());
        rows.append(filter == packedpicture::filters
                        ? filterRow(row, above, rowBytes, bpp)
                        : filterRow(filter, row, above, rowBytes, bpp));
    }
    return qCompress(rows, 9).mid(4); // qCompress puts the length before a zlib stream
}

// The rows of an encoded picture as a packed stream holds them: pixelBytes bytes a pixel.
inline QByteArray streamPixels(const QByteArray& encoded, const Header& header) {
    if (packedpicture::pixelBytes(header.format) == 4)
        return encoded.mid(sizeof header);
    QByteArray pixels;
    pixels.reserve(qsizetype(header.width) * header.height * 3);
    for (qsizetype at = sizeof header; at < encoded.size(); at += 4)
        pixels.append(encoded.constData() + at, 3); // opaque: the alpha is 255
    return pixels;
}

} // namespace detail

// The bytes of a packed file (packed_format.h) for image, in bands of bandRows rows.
inline QByteArray pack(const QImage& image, int bandRows) {
    const QByteArray encoded = encode(image);
    Header header;
    std::memcpy(&header, encoded.constData(), sizeof header);
    const QByteArray pixels = detail::streamPixels(encoded, header);
    const qsizetype bpp = packedpicture::pixelBytes(header.format);
    const qsizetype rowBytes = qsizetype(header.width) * bpp;
    QByteArray table, streams;
    for (qsizetype top = 0; top < qsizetype(header.height); top += bandRows) {
        const qsizetype end = std::min<qsizetype>(top + bandRows, header.height);
        // Whichever filtering deflates smallest: one filter throughout, or each row its own.
        QByteArray smallest;
        for (unsigned filter = packedpicture::none; filter <= packedpicture::filters; ++filter) {
            QByteArray stream = detail::deflateRows(pixels, rowBytes, bpp, top, end, filter);
            if (smallest.isEmpty() || stream.size() < smallest.size())
                smallest = std::move(stream);
        }
        streams.append(smallest);
        const auto streamsEnd = std::uint32_t(streams.size());
        table.append(reinterpret_cast<const char*>(&streamsEnd), sizeof streamsEnd);
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
