// SPDX-License-Identifier: MIT
#include "platform/win32/Com.h"

#include <objbase.h>

namespace platform::win32 {

ComApartment::~ComApartment() {
    if (m_state == State::Started)
        CoUninitialize();
}

bool ComApartment::use() {
    if (m_state == State::NotStarted)
        m_state = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) ? State::Started
                                                                               : State::Unavailable;
    return m_state == State::Started;
}

} // namespace platform::win32
