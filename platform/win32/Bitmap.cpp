// SPDX-License-Identifier: MIT
#include "win32/Bitmap.h"

#include <utility>
#include <wincodec.h>

namespace win32 {

namespace {

// Releases a COM interface when it goes out of scope.
template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (m_p)
            m_p->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** put() { return &m_p; }
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }

private:
    T* m_p = nullptr;
};

} // namespace

Bitmap::Bitmap(int id) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!found)
        return;
    HGLOBAL loaded = LoadResource(module, found);
    auto* bytes = static_cast<BYTE*>(LockResource(loaded));
    const DWORD size = SizeofResource(module, found);
    if (!bytes || size == 0)
        return;

    // Windows Imaging Component ships with Windows and reads PNG.
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmapSource> converted;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put()))) ||
        FAILED(factory->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromMemory(bytes, size)) ||
        FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, decoder.put())) ||
        FAILED(decoder->GetFrame(0, frame.put())) ||
        FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.get(), converted.put())))
        return;
    UINT width = 0, height = 0;
    if (FAILED(converted->GetSize(&width, &height)) || width == 0 || height == 0)
        return;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height); // top-down, like WIC's rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!bitmap)
        return;
    const UINT stride = width * 4;
    if (FAILED(
            converted->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(pixels)))) {
        DeleteObject(bitmap);
        return;
    }
    m_bitmap = bitmap;
    m_width = static_cast<int>(width);
    m_height = static_cast<int>(height);
}

Bitmap::~Bitmap() {
    if (m_bitmap)
        DeleteObject(m_bitmap);
}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : m_bitmap(std::exchange(other.m_bitmap, nullptr))
    , m_width(other.m_width)
    , m_height(other.m_height) {}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    std::swap(m_bitmap, other.m_bitmap);
    std::swap(m_width, other.m_width);
    std::swap(m_height, other.m_height);
    return *this;
}

void Bitmap::draw(HDC target, const RECT& where) const {
    if (!m_bitmap)
        return;
    HDC source = CreateCompatibleDC(target);
    HGDIOBJ old = SelectObject(source, m_bitmap);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    SetStretchBltMode(target, HALFTONE);
    AlphaBlend(target, where.left, where.top, where.right - where.left, where.bottom - where.top,
               source, 0, 0, m_width, m_height, blend);
    SelectObject(source, old);
    DeleteDC(source);
}

} // namespace win32
