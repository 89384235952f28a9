// SPDX-License-Identifier: MIT
#include "ico_reader.h"

#include <QtEndian>

namespace {

class Bytes {
public:
    explicit Bytes(const QByteArray& data)
        : m_data(data) {}
    bool has(qsizetype offset, qsizetype count) const {
        return offset >= 0 && count >= 0 && offset + count <= m_data.size();
    }
    quint8 u8(qsizetype offset) const { return quint8(m_data[offset]); }
    quint16 u16(qsizetype offset) const {
        return qFromLittleEndian<quint16>(m_data.constData() + offset);
    }
    quint32 u32(qsizetype offset) const {
        return qFromLittleEndian<quint32>(m_data.constData() + offset);
    }

private:
    const QByteArray& m_data;
};

int rowBytes(int width, int bits) {
    return (width * bits + 31) / 32 * 4;
}

} // namespace

std::optional<QList<IcoReader::Image>> IcoReader::read(const QByteArray& data, QString* error) {
    const auto fail = [error](const QString& why) {
        *error = why;
        return std::nullopt;
    };
    const Bytes bytes(data);
    if (!bytes.has(0, 6) || bytes.u16(0) != 0 || bytes.u16(2) != 1)
        return fail(QStringLiteral("not an icon directory"));
    const int count = bytes.u16(4);
    if (!bytes.has(6, 16 * count))
        return fail(QStringLiteral("directory cut short"));

    QList<Image> images;
    qsizetype expectedOffset = 6 + 16 * count;
    for (int i = 0; i < count; ++i) {
        const qsizetype entry = 6 + 16 * i;
        const QString where = QStringLiteral("image %1: ").arg(i);
        Image image;
        image.width = bytes.u8(entry) == 0 ? 256 : bytes.u8(entry);
        image.height = bytes.u8(entry + 1) == 0 ? 256 : bytes.u8(entry + 1);
        image.colourCount = bytes.u8(entry + 2);
        image.bitCount = bytes.u16(entry + 6);
        const quint32 size = bytes.u32(entry + 8);
        const quint32 offset = bytes.u32(entry + 12);
        if (bytes.u8(entry + 3) != 0 || bytes.u16(entry + 4) != 1)
            return fail(where + QStringLiteral("reserved byte or planes wrong"));
        if (offset != expectedOffset || !bytes.has(offset, size))
            return fail(where + QStringLiteral("data not where the directory says"));
        expectedOffset += size;

        const int bits = image.bitCount;
        if (bits != 4 && bits != 8 && bits != 32)
            return fail(where + QStringLiteral("unexpected depth %1").arg(bits));
        if (bytes.u32(offset) != 40 || qint32(bytes.u32(offset + 4)) != image.width ||
            qint32(bytes.u32(offset + 8)) != 2 * image.height || bytes.u16(offset + 12) != 1 ||
            bytes.u16(offset + 14) != bits || bytes.u32(offset + 16) != 0)
            return fail(where + QStringLiteral("bitmap header does not match the entry"));
        const int paletteSize = bits == 32 ? 0 : 1 << bits;
        if ((bits == 4) != (image.colourCount == 16) || (bits != 4 && image.colourCount != 0))
            return fail(where + QStringLiteral("colour count does not match the depth"));
        const int colourRow = rowBytes(image.width, bits);
        const int maskRow = rowBytes(image.width, 1);
        const qsizetype paletteAt = offset + 40;
        const qsizetype colourAt = paletteAt + 4 * paletteSize;
        const qsizetype maskAt = colourAt + qsizetype(colourRow) * image.height;
        if (maskAt + qsizetype(maskRow) * image.height != offset + size)
            return fail(where + QStringLiteral("size does not match the layout"));

        for (int c = 0; c < paletteSize; ++c) {
            const qsizetype at = paletteAt + 4 * c;
            image.palette.append(qRgb(bytes.u8(at + 2), bytes.u8(at + 1), bytes.u8(at)));
        }

        image.image = QImage(image.width, image.height, QImage::Format_ARGB32);
        for (int y = 0; y < image.height; ++y) {
            // Rows are stored bottom first.
            const qsizetype row = colourAt + qsizetype(colourRow) * (image.height - 1 - y);
            const qsizetype mask = maskAt + qsizetype(maskRow) * (image.height - 1 - y);
            for (int x = 0; x < image.width; ++x) {
                const bool masked = bytes.u8(mask + x / 8) & (0x80 >> (x % 8));
                QRgb pixel = 0;
                if (bits == 32) {
                    const qsizetype at = row + 4 * x;
                    pixel =
                        qRgba(bytes.u8(at + 2), bytes.u8(at + 1), bytes.u8(at), bytes.u8(at + 3));
                } else {
                    const quint8 byte = bytes.u8(row + x * bits / 8);
                    const int index = bits == 8 ? byte : (x % 2 == 0 ? byte >> 4 : byte & 0x0f);
                    // Windows XORs the colour over the masked screen: it must be black there.
                    if (masked && image.palette[index] != qRgb(0, 0, 0))
                        return fail(where + QStringLiteral("masked pixel is not black"));
                    pixel = masked ? qRgba(0, 0, 0, 0) : image.palette[index];
                }
                image.image.setPixel(x, y, pixel);
            }
        }
        images.append(image);
    }
    if (expectedOffset != data.size())
        return fail(QStringLiteral("trailing bytes after the last image"));
    return images;
}
