// SPDX-License-Identifier: MIT
#include "platform/win32/Bitmap.h"

#include "picture_resources.h"
#include "platform/win32/Scaler.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>
#include <zlib.h>

namespace platform::win32 {

namespace {

namespace packed = resources::packedpicture;

// The bytes of a picture's resource, numbered by the build (picture_resources.h).
std::pair<const BYTE*, DWORD> pictureBytes(const char* picture, bool twice) {
    const auto resource = std::find_if(
        std::begin(pictureResources), std::end(pictureResources),
        [picture](const PictureResource& r) { return std::strcmp(r.name, picture) == 0; });
    if (resource == std::end(pictureResources))
        return {nullptr, 0};
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found =
        FindResourceW(module, MAKEINTRESOURCEW(twice ? resource->twice : resource->single),
                      MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!found)
        return {nullptr, 0};
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    return {bytes, bytes ? SizeofResource(module, found) : 0};
}

std::optional<packed::Picture> readPicture(const char* picture, bool twice) {
    const auto [bytes, size] = pictureBytes(picture, twice);
    return packed::read(bytes, size);
}

// A 32-bit top-down DIB section of that size; its pixels in `pixels`.
BitmapHandle makeDib(int width, int height, void** pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return BitmapHandle(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, pixels, nullptr, 0));
}

// Premultiplied "over", a channel at a time.
std::uint32_t over(std::uint32_t source, std::uint32_t below) {
    const std::uint32_t keep = 255 - (source >> 24);
    if (keep == 0)
        return source;
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t channel = ((below >> shift) & 0xFF) * keep / 255;
        result |= (((source >> shift) & 0xFF) + channel) << shift;
    }
    return result;
}

// A zlib stream being inflated, ended when it goes.
class Inflater {
public:
    Inflater() { m_ready = inflateInit(&m_stream) == Z_OK; }
    ~Inflater() {
        if (m_ready)
            inflateEnd(&m_stream);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Starts on the stream in `bytes`.
    bool start(const unsigned char* bytes, std::uint32_t size) {
        if (!m_ready || inflateReset(&m_stream) != Z_OK)
            return false;
        m_stream.next_in = const_cast<Bytef*>(bytes); // zlib's interface is not const
        m_stream.avail_in = size;
        return true;
    }
    // The next `size` bytes of what it holds.
    bool next(void* into, std::uint32_t size) {
        m_stream.next_out = static_cast<Bytef*>(into);
        m_stream.avail_out = size;
        const int result = inflate(&m_stream, Z_SYNC_FLUSH);
        return (result == Z_OK || result == Z_STREAM_END) && m_stream.avail_out == 0;
    }

private:
    z_stream m_stream{};
    bool m_ready = false;
};

// Undoes the filter of a row as a stream holds it (its filter, then `size` bytes) in place, given
// the row above it, already undone.
bool unfilter(unsigned char* row, const unsigned char* above, std::size_t size, unsigned bpp) {
    const unsigned filter = row[0];
    if (filter >= packed::filters)
        return false;
    if (filter == packed::none)
        return true;
    for (std::size_t i = 1; i <= size; ++i) {
        const unsigned char a = i > bpp ? row[i - bpp] : 0, c = i > bpp ? above[i - bpp] : 0;
        row[i] = static_cast<unsigned char>(row[i] + packed::predict(filter, a, above[i], c));
    }
    return true;
}

// A row's pixels from its bytes: 4 a pixel as a DIB section keeps them, or 3 of an opaque one.
void expand(const unsigned char* bytes, std::uint32_t width, unsigned bpp, std::uint32_t* pixels) {
    if (bpp == 4) {
        std::memcpy(pixels, bytes, std::size_t(width) * 4);
        return;
    }
    for (std::uint32_t x = 0; x < width; ++x, bytes += 3)
        pixels[x] =
            0xFF000000u | bytes[0] | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16;
}

} // namespace

bool inflateRows(const packed::Picture& picture, int first, int end, std::uint32_t* rows) {
    const auto width = picture.header.width;
    const int bandRows = static_cast<int>(picture.header.bandRows);
    if (first < 0 || end > static_cast<int>(picture.header.height) || first >= end)
        return false;
    const unsigned bpp = packed::pixelBytes(picture.header.format);
    const std::size_t size = std::size_t(width) * bpp;
    std::vector<unsigned char> row(size + 1), above(size + 1); // each with its filter first
    Inflater inflater;
    for (int band = first / bandRows; band * bandRows < end; ++band) {
        const auto start = picture.bandStart(std::uint32_t(band));
        if (!inflater.start(picture.streams + start, picture.bandEnd(std::uint32_t(band)) - start))
            return false;
        std::fill(above.begin(), above.end(), 0);
        for (int y = band * bandRows; y < std::min(end, (band + 1) * bandRows); ++y) {
            if (!inflater.next(row.data(), std::uint32_t(row.size())) ||
                !unfilter(row.data(), above.data(), size, bpp))
                return false;
            if (y >= first)
                expand(row.data() + 1, width, bpp, rows + std::size_t(y - first) * width);
            std::swap(row, above);
        }
    }
    return true;
}

Canvas::Canvas(HDC screen, int width, int height)
    : m_width(width)
    , m_height(height)
    , m_bitmap(makeDib(width, height, reinterpret_cast<void**>(&m_pixels)))
    , m_dc(screen, m_bitmap.get()) {}

void Canvas::moveTo(int top) {
    m_top = top;
    SetViewportOrgEx(m_dc.get(), 0, -top, nullptr);
}

void Canvas::blend(const std::uint32_t* pixels, int width, int height, int left, int top) {
    if (!m_pixels)
        return;
    top -= m_top;
    GdiFlush(); // what GDI drew into the section first
    const int fromX = std::max(0, -left), toX = std::min(width, m_width - left);
    const int fromY = std::max(0, -top), toY = std::min(height, m_height - top);
    for (int y = fromY; y < toY; ++y) {
        const std::uint32_t* row = pixels + std::size_t(y) * std::size_t(width);
        std::uint32_t* target = m_pixels + std::size_t(top + y) * std::size_t(m_width) + left;
        for (int x = fromX; x < toX; ++x)
            target[x] = over(row[x], target[x]);
    }
}

void Canvas::copyTo(HDC screen) const {
    BitBlt(screen, 0, m_top, m_width, m_height, m_dc.get(), 0, m_top, SRCCOPY);
}

Bitmap Bitmap::load(const design::pictures::Picture& picture, bool twice) {
    Bitmap bitmap;
    if (twice) {
        bitmap.m_picture = readPicture(picture.name, true);
        const auto isDouble = [&](const packed::Header& header) {
            return header.width == 2u * picture.width && header.height == 2u * picture.height;
        };
        if (bitmap.m_picture && isDouble(bitmap.m_picture->header))
            return bitmap;
    }
    bitmap.m_picture = readPicture(picture.name, false);
    return bitmap;
}

bool Bitmap::isOpaque() const {
    return m_picture && m_picture->header.format == resources::rawpicture::opaque;
}

void Bitmap::draw(Canvas& canvas, const RECT& where) const {
    const int width = where.right - where.left, height = where.bottom - where.top;
    const int top = std::max(canvas.top(), static_cast<int>(where.top)) - where.top;
    const int bottom = std::min(canvas.bottom(), static_cast<int>(where.bottom)) - where.top;
    if (!m_picture || top >= bottom)
        return;
    const auto& header = m_picture->header;
    Scaler scaler(static_cast<int>(header.width), static_cast<int>(header.height), width, height);
    const auto [first, end] = scaler.sourceRows(top, bottom);
    std::vector<std::uint32_t> source(std::size_t(end - first) * header.width);
    if (!inflateRows(*m_picture, first, end, source.data()))
        return;
    std::vector<std::uint32_t> scaled(std::size_t(bottom - top) * std::size_t(width));
    for (int y = top; y < bottom; ++y)
        scaler.row(y, source.data(), first, &scaled[std::size_t(y - top) * std::size_t(width)]);
    canvas.blend(scaled.data(), width, bottom - top, where.left, where.top + top);
}

} // namespace platform::win32
