// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>
#include <utility>

// Owners for the handles the front end makes: each is released exactly once, when its owner goes.
namespace platform::win32 {

// A GDI object (font, brush, bitmap) made by the program.
template <class Handle> class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle)
        : m_handle(handle) {}
    ~GdiObject() {
        if (m_handle)
            DeleteObject(m_handle);
    }
    GdiObject(GdiObject&& other) noexcept
        : m_handle(std::exchange(other.m_handle, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    Handle m_handle = nullptr;
};

using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using BitmapHandle = GdiObject<HBITMAP>;

// A memory device context with one object selected into it, put back when it goes.
class MemoryDC {
public:
    MemoryDC(HDC compatibleWith, HGDIOBJ selected)
        : m_dc(CreateCompatibleDC(compatibleWith))
        , m_previous(SelectObject(m_dc, selected)) {}
    ~MemoryDC() {
        SelectObject(m_dc, m_previous);
        DeleteDC(m_dc);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC get() const { return m_dc; }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// The screen's device context, for measuring.
class ScreenDC {
public:
    ScreenDC()
        : m_dc(GetDC(nullptr)) {}
    ~ScreenDC() { ReleaseDC(nullptr, m_dc); }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;

    HDC get() const { return m_dc; }

private:
    HDC m_dc;
};

// A COM interface pointer, released when it goes.
template <class Interface> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept
        : m_p(std::exchange(other.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    void reset() {
        if (m_p)
            std::exchange(m_p, nullptr)->Release();
    }
    Interface** put() {
        reset();
        return &m_p;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    Interface* get() const { return m_p; }
    Interface* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    Interface* m_p = nullptr;
};

} // namespace platform::win32
