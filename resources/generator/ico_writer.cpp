// SPDX-License-Identifier: MIT
#include "ico_writer.h"

#include <QDataStream>
#include <QIODevice>
#include <limits>

namespace {

constexpr int kDirectorySize = 6;
constexpr int kEntrySize = 16;
constexpr int kInfoHeaderSize = 40;
// Palette pixels at or above this alpha are drawn, the rest are masked out.
constexpr int kOpaqueAlpha = 128;

int bitsPerPixel(const QList<QRgb>& palette) {
    return palette.isEmpty() ? 32 : (palette.size() == 16 ? 4 : 8);
}

// BMP rows are padded to whole 32-bit words.
int rowBytes(int width, int bits) {
    return (width * bits + 31) / 32 * 4;
}

int bitmapSize(const QImage& image, int bits) {
    const int height = image.height();
    return kInfoHeaderSize + (bits == 32 ? 0 : (1 << bits) * 4) +
           rowBytes(image.width(), bits) * height + rowBytes(image.width(), 1) * height;
}

} // namespace

bool IcoWriter::addImage(const QImage& image, const QList<QRgb>& palette) {
    if (image.isNull() || image.width() > 256 || image.height() > 256)
        return false;
    if (!palette.isEmpty() && ((palette.size() != 16 && palette.size() != 256) ||
                               qRgb(0, 0, 0) != (palette[0] | 0xff000000u)))
        return false;
    m_images.append({image.convertToFormat(QImage::Format_ARGB32), palette});
    return true;
}

int IcoWriter::nearestIndex(const QList<QRgb>& palette, QRgb colour) {
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < palette.size(); ++i) {
        const int dr = qRed(palette[i]) - qRed(colour);
        const int dg = qGreen(palette[i]) - qGreen(colour);
        const int db = qBlue(palette[i]) - qBlue(colour);
        const int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

QByteArray IcoWriter::bitmap(const Entry& entry) {
    const QImage& image = entry.image;
    const int width = image.width();
    const int height = image.height();
    const int bits = bitsPerPixel(entry.palette);
    const int colourBytes = rowBytes(width, bits);
    const int maskBytes = rowBytes(width, 1);

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);

    // BITMAPINFOHEADER; the height counts the colour rows and the mask rows.
    out << quint32(kInfoHeaderSize) << qint32(width) << qint32(2 * height) << quint16(1)
        << quint16(bits) << quint32(0) << quint32((colourBytes + maskBytes) * height) << qint32(0)
        << qint32(0) << quint32(entry.palette.size()) << quint32(0);
    for (const QRgb colour : entry.palette)
        out << quint8(qBlue(colour)) << quint8(qGreen(colour)) << quint8(qRed(colour)) << quint8(0);

    const auto opaque = [&](int x, int y) {
        const int alpha = qAlpha(image.pixel(x, y));
        return bits == 32 ? alpha > 0 : alpha >= kOpaqueAlpha;
    };

    // Colour rows, bottom row first.
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(colourBytes, '\0');
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (bits == 32) {
                row[4 * x] = char(qBlue(pixel));
                row[4 * x + 1] = char(qGreen(pixel));
                row[4 * x + 2] = char(qRed(pixel));
                row[4 * x + 3] = char(qAlpha(pixel));
                continue;
            }
            // Masked pixels stay black (index 0), so the screen shows through unchanged.
            const int index = opaque(x, y) ? nearestIndex(entry.palette, pixel) : 0;
            if (bits == 8)
                row[x] = char(index);
            else
                row[x / 2] = char(row[x / 2] | (x % 2 == 0 ? index << 4 : index));
        }
        out.writeRawData(row.constData(), row.size());
    }

    // AND mask, bottom row first: a set bit leaves the screen pixel as it is.
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(maskBytes, '\0');
        for (int x = 0; x < width; ++x) {
            if (!opaque(x, y))
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
        out.writeRawData(row.constData(), row.size());
    }
    return bytes;
}

QByteArray IcoWriter::data() const {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);

    out << quint16(0) << quint16(1) << quint16(m_images.size());
    quint32 offset = kDirectorySize + kEntrySize * quint32(m_images.size());
    for (const Entry& entry : m_images) {
        const int bits = bitsPerPixel(entry.palette);
        const quint32 size = bitmapSize(entry.image, bits);
        // 256 px is written as 0; a colour count of 0 means 256 colours or more.
        out << quint8(entry.image.width() & 0xff) << quint8(entry.image.height() & 0xff)
            << quint8(entry.palette.size() == 16 ? 16 : 0) << quint8(0) << quint16(1)
            << quint16(bits) << size << offset;
        offset += size;
    }
    for (const Entry& entry : m_images) {
        const QByteArray image = bitmap(entry);
        out.writeRawData(image.constData(), image.size());
    }
    return bytes;
}
