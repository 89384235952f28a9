// SPDX-License-Identifier: MIT
#include "platform/win32/Com.h"

#include "platform/win32/SystemLibrary.h"

#include <objbase.h>

namespace platform::win32 {

ComApartment::~ComApartment() {
    if (m_state != State::Started)
        return;
    if (const auto uninitialize = systemFunction<void WINAPI()>(L"ole32.dll", "CoUninitialize"))
        uninitialize();
}

bool ComApartment::use() {
    if (m_state == State::NotStarted) {
        const auto initialize =
            systemFunction<HRESULT WINAPI(LPVOID, DWORD)>(L"ole32.dll", "CoInitializeEx");
        m_state = initialize && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED))
                      ? State::Started
                      : State::Unavailable;
    }
    return m_state == State::Started;
}

} // namespace platform::win32
