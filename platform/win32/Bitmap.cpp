// SPDX-License-Identifier: MIT
#include "platform/win32/Bitmap.h"

#include "platform/win32/SystemLibrary.h"
#include "resources/raw_format.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <wincodec.h>

namespace platform::win32 {

namespace {

// The picture's resource name, as the build names it: "title-banner" is TITLE_BANNER.
std::wstring resourceName(const char* picture) {
    std::wstring name;
    for (const char* c = picture; *c; ++c)
        name +=
            *c == '-' ? L'_' : static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(*c)));
    return name;
}

// The bytes of an RCDATA resource.
std::pair<const BYTE*, DWORD> resourceBytes(const std::wstring& name) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, name.c_str(), MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!found)
        return {nullptr, 0};
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    return {bytes, bytes ? SizeofResource(module, found) : 0};
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

} // namespace

Canvas::Canvas(HDC screen, int width, int height)
    : m_width(width)
    , m_height(height)
    , m_bitmap(makeDib(width, height, reinterpret_cast<void**>(&m_pixels)))
    , m_dc(screen, m_bitmap.get()) {}

void Canvas::moveTo(int top) {
    m_top = top;
    SetViewportOrgEx(m_dc.get(), 0, -top, nullptr);
}

void Canvas::blend(const BYTE* pixels, int width, int height, int left, int top) {
    if (!m_pixels)
        return;
    top -= m_top;
    GdiFlush(); // what GDI drew into the section first
    const int fromX = std::max(0, -left), toX = std::min(width, m_width - left);
    const int fromY = std::max(0, -top), toY = std::min(height, m_height - top);
    for (int y = fromY; y < toY; ++y) {
        const BYTE* row = pixels + std::size_t(y) * std::size_t(width) * 4;
        std::uint32_t* target = m_pixels + std::size_t(top + y) * std::size_t(m_width) + left;
        for (int x = fromX; x < toX; ++x) {
            std::uint32_t source;
            std::memcpy(&source, row + std::size_t(x) * 4, 4);
            target[x] = over(source, target[x]);
        }
    }
}

void Canvas::copyTo(HDC screen) const {
    BitBlt(screen, 0, m_top, m_width, m_height, m_dc.get(), 0, m_top, SRCCOPY);
}

Bitmap Bitmap::load(const design::pictures::Picture& picture, bool twice) {
    const std::wstring name = resourceName(picture.name);
    if (twice) {
        const auto [bytes, size] = resourceBytes(name + L"_2X");
        if (Bitmap png = fromPng(bytes, size);
            png.m_decoded && png.m_width == 2 * picture.width && png.m_height == 2 * picture.height)
            return png;
    }
    const auto [bytes, size] = resourceBytes(name);
    return fromRawPixels(bytes, size);
}

Bitmap Bitmap::fromRawPixels(const BYTE* bytes, DWORD size) {
    namespace raw = resources::rawpicture;
    const std::optional<raw::Header> header = raw::readHeader(bytes, size);
    if (!header)
        return {};
    Bitmap bitmap;
    bitmap.m_width = static_cast<int>(header->width);
    bitmap.m_height = static_cast<int>(header->height);
    bitmap.m_raw = bytes + sizeof(raw::Header); // a resource stays mapped for the program's life
    bitmap.m_opaque = header->format == raw::opaque;
    return bitmap;
}

Bitmap Bitmap::fromPng(const BYTE* bytes, DWORD size) {
    const auto createInstance =
        systemFunction<HRESULT WINAPI(REFCLSID, LPUNKNOWN, DWORD, REFIID, void**)>(
            L"ole32.dll", "CoCreateInstance");
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converted;
    if (!bytes || !createInstance ||
        FAILED(createInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, factory.putVoid())) ||
        FAILED(factory->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes), size)) ||
        FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, decoder.put())) ||
        FAILED(decoder->GetFrame(0, frame.put())) ||
        FAILED(factory->CreateFormatConverter(converted.put())) ||
        FAILED(converted->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)))
        return {};
    UINT width = 0, height = 0;
    if (FAILED(converted->GetSize(&width, &height)) || width == 0 || height == 0)
        return {};
    void* pixels = nullptr;
    Bitmap bitmap;
    bitmap.m_decoded = makeDib(static_cast<int>(width), static_cast<int>(height), &pixels);
    const UINT stride = width * 4;
    if (!bitmap.m_decoded ||
        FAILED(converted->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(pixels))))
        return {};
    bitmap.m_width = static_cast<int>(width);
    bitmap.m_height = static_cast<int>(height);
    return bitmap;
}

void Bitmap::draw(Canvas& canvas, const RECT& where) const {
    if (m_raw) {
        canvas.blend(m_raw, m_width, m_height, where.left, where.top);
        return;
    }
    if (!m_decoded)
        return;
    const MemoryDC source(canvas.dc(), m_decoded.get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(canvas.dc(), where.left, where.top, where.right - where.left,
                  where.bottom - where.top, source.get(), 0, 0, m_width, m_height, blend);
}

} // namespace platform::win32
