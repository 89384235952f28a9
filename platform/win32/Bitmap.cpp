// SPDX-License-Identifier: MIT
#include "platform/win32/Bitmap.h"

#include "platform/win32/SystemLibrary.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <wincodec.h>

namespace platform::win32 {

namespace {

// The raw picture files of the artwork: a 16-byte header, then the rows, top first, 4 bytes a
// pixel in the order a 32-bit DIB section keeps them, premultiplied.
struct RawHeader {
    char magic[4];
    std::uint32_t width, height, format;
};
constexpr char rawMagic[4] = {'V', 'P', 'X', '1'};

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

} // namespace

Bitmap Bitmap::load(const design::pictures::Picture& picture, bool twice) {
    const std::wstring name = resourceName(picture.name);
    if (twice) {
        const auto [bytes, size] = resourceBytes(name + L"_2X");
        if (Bitmap png = fromPng(bytes, size);
            png && png.m_width == 2 * picture.width && png.m_height == 2 * picture.height)
            return png;
    }
    const auto [bytes, size] = resourceBytes(name);
    return fromRawPixels(bytes, size);
}

Bitmap Bitmap::make(int width, int height, void** pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    Bitmap bitmap;
    bitmap.m_bitmap =
        BitmapHandle(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, pixels, nullptr, 0));
    if (bitmap.m_bitmap) {
        bitmap.m_width = width;
        bitmap.m_height = height;
    }
    return bitmap;
}

Bitmap Bitmap::fromRawPixels(const BYTE* bytes, DWORD size) {
    RawHeader header;
    if (!bytes || size < sizeof header)
        return {};
    std::memcpy(&header, bytes, sizeof header);
    if (std::memcmp(header.magic, rawMagic, sizeof rawMagic) != 0 || header.width == 0 ||
        header.height == 0 || header.width > 32768 || header.height > 32768 ||
        size != sizeof header + std::uint64_t(header.width) * header.height * 4)
        return {};
    void* pixels = nullptr;
    Bitmap bitmap = make(static_cast<int>(header.width), static_cast<int>(header.height), &pixels);
    if (bitmap)
        std::memcpy(pixels, bytes + sizeof header, size - sizeof header);
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
    Bitmap bitmap = make(static_cast<int>(width), static_cast<int>(height), &pixels);
    const UINT stride = width * 4;
    if (!bitmap ||
        FAILED(converted->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(pixels))))
        return {};
    return bitmap;
}

void Bitmap::draw(HDC target, const RECT& where) const {
    if (!m_bitmap)
        return;
    const MemoryDC source(target, m_bitmap.get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(target, where.left, where.top, where.right - where.left, where.bottom - where.top,
                  source.get(), 0, 0, m_width, m_height, blend);
}

} // namespace platform::win32
