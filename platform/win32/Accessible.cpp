// SPDX-License-Identifier: MIT
#include "platform/win32/Accessible.h"

#include "platform/win32/SystemLibrary.h"

#include <oleacc.h>
#include <oleidl.h>
#include <utility>

namespace platform::win32 {

namespace {

// The system's object with the program's extras. Child ids 1..n are the system's (the child
// windows); the pictures follow them.
class ClientAccessible final : public IAccessible, public IOleWindow {
public:
    ClientAccessible(HWND window, IAccessible* standard, AccessibleExtras& extras)
        : m_window(window)
        , m_standard(standard)
        , m_extras(&extras) {}

    void disconnect() {
        m_extras = nullptr;
        if (m_standard) {
            m_standard->Release();
            m_standard = nullptr;
        }
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            IsEqualIID(iid, IID_IAccessible))
            *out = static_cast<IAccessible*>(this);
        else if (IsEqualIID(iid, IID_IOleWindow))
            *out = static_cast<IOleWindow*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&m_references));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0) {
            disconnect();
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IDispatch: clients use the interface's own methods; no type information is offered.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window)
            return E_POINTER;
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        *window = m_window;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        return m_standard->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count)
            return E_POINTER;
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        *count = standardCount() + m_extras->pictureCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        if (picture(child) >= 0)
            return S_FALSE; // a simple child: its parent answers for it
        return m_standard->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!name)
            return E_POINTER;
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        if (const int index = picture(child); index >= 0)
            return text(m_extras->pictureName(index).c_str(), name);
        if (isSelf(child) && !m_extras->accessibleName().empty())
            return text(m_extras->accessibleName().c_str(), name);
        return m_standard->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return forward(child, value, &IAccessible::get_accValue);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        if (description && m_extras && isSelf(child) && !m_extras->accessibleDescription().empty())
            return text(m_extras->accessibleDescription().c_str(), description);
        return forward(child, description, &IAccessible::get_accDescription);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role)
            return E_POINTER;
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        if (const int index = picture(child); index >= 0) {
            role->vt = VT_I4;
            role->lVal =
                m_extras->pictureIsButton(index) ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_GRAPHIC;
            return S_OK;
        }
        return m_standard->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state)
            return E_POINTER;
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        if (picture(child) >= 0) {
            state->vt = VT_I4;
            state->lVal = IsWindowVisible(m_window) ? 0 : STATE_SYSTEM_INVISIBLE;
            return S_OK;
        }
        return m_standard->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return forward(child, help, &IAccessible::get_accHelp);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        if (!file || !topic)
            return E_POINTER;
        *file = nullptr;
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        if (picture(child) >= 0)
            return S_FALSE;
        return m_standard->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return forward(child, keys, &IAccessible::get_accKeyboardShortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        return m_standard->get_accFocus(focus); // the pictures never take the focus
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        return m_standard->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!action)
            return E_POINTER;
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        if (const int index = picture(child); index >= 0) {
            if (!m_extras->pictureIsButton(index)) {
                *action = nullptr;
                return DISP_E_MEMBERNOTFOUND;
            }
            return text(L"Press", action);
        }
        if (isSelf(child) && m_extras->isPressable())
            return text(L"Press", action);
        return m_standard->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        if (picture(child) >= 0)
            return DISP_E_MEMBERNOTFOUND;
        return m_standard->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        if (!left || !top || !width || !height)
            return E_POINTER;
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        if (const int index = picture(child); index >= 0) {
            RECT r = m_extras->pictureRect(index);
            MapWindowPoints(m_window, nullptr, reinterpret_cast<POINT*>(&r), 2);
            *left = r.left;
            *top = r.top;
            *width = r.right - r.left;
            *height = r.bottom - r.top;
            return S_OK;
        }
        return m_standard->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end)
            return E_POINTER;
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        end->vt = VT_EMPTY;
        const long first = standardCount() + 1;
        const long last = standardCount() + m_extras->pictureCount();
        const bool fromSelf = start.vt == VT_I4 && start.lVal == CHILDID_SELF;
        if (fromSelf && direction == NAVDIR_LASTCHILD && last >= first)
            return childId(last, end);
        if (const int index = picture(start); index >= 0) {
            const long id = first + index;
            if (direction == NAVDIR_NEXT)
                return id < last ? childId(id + 1, end) : S_FALSE;
            if (direction == NAVDIR_PREVIOUS) {
                if (id > first)
                    return childId(id - 1, end);
                if (first == 1)
                    return S_FALSE;
                // The last child window, as the object the system makes for it.
                VARIANT previous;
                previous.vt = VT_I4;
                previous.lVal = first - 1;
                IDispatch* window = nullptr;
                if (m_standard->get_accChild(previous, &window) == S_OK && window) {
                    end->vt = VT_DISPATCH;
                    end->pdispVal = window;
                    return S_OK;
                }
                return childId(first - 1, end);
            }
            return S_FALSE; // no spatial navigation among the pictures
        }
        const HRESULT result = m_standard->accNavigate(direction, start, end);
        // Past the last child window come the pictures.
        if (result == S_FALSE && fromSelf && direction == NAVDIR_FIRSTCHILD && last >= first)
            return childId(first, end);
        return result;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* at) override {
        if (!at)
            return E_POINTER;
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        // The child windows lie above the pictures: they answer first.
        const HRESULT result = m_standard->accHitTest(x, y, at);
        if (result != S_OK || at->vt != VT_I4 || at->lVal != CHILDID_SELF)
            return result;
        POINT client{x, y};
        ScreenToClient(m_window, &client);
        if (const int index = m_extras->pictureAt(client); index >= 0)
            return childId(standardCount() + 1 + index, at);
        return result;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        if (const int index = picture(child); index >= 0) {
            if (!m_extras->pictureIsButton(index))
                return DISP_E_MEMBERNOTFOUND;
            m_extras->pressPicture(index);
            return S_OK;
        }
        if (isSelf(child) && m_extras->isPressable()) {
            m_extras->press();
            return S_OK;
        }
        return m_standard->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        if (!isSelf(child))
            return picture(child) >= 0 ? DISP_E_MEMBERNOTFOUND
                                       : m_standard->put_accValue(child, value);
        return m_extras->setValue(value ? std::wstring_view(value) : std::wstring_view());
    }

private:
    ~ClientAccessible() = default;

    long standardCount() const {
        long count = 0;
        if (FAILED(m_standard->get_accChildCount(&count)) || count < 0)
            return 0;
        return count;
    }

    // The picture a child id names, or -1 (the window itself or a child window).
    int picture(const VARIANT& child) const {
        if (child.vt != VT_I4)
            return -1;
        const long index = child.lVal - standardCount() - 1;
        return index >= 0 && index < m_extras->pictureCount() ? static_cast<int>(index) : -1;
    }

    static bool isSelf(const VARIANT& child) {
        return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
    }

    static HRESULT childId(long id, VARIANT* out) {
        out->vt = VT_I4;
        out->lVal = id;
        return S_OK;
    }

    static HRESULT text(const wchar_t* value, BSTR* out) {
        // The system's allocator, which the client frees the text with.
        const auto allocate =
            systemFunction<BSTR WINAPI(const OLECHAR*)>(L"oleaut32.dll", "SysAllocString");
        *out = allocate ? allocate(value) : nullptr;
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    // A text the pictures do not have.
    HRESULT forward(VARIANT child, BSTR* out,
                    HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (!m_extras)
            return RPC_E_DISCONNECTED;
        if (picture(child) >= 0)
            return S_FALSE;
        return (m_standard->*get)(child, out);
    }

    LONG m_references = 1;
    HWND m_window;
    IAccessible* m_standard;
    AccessibleExtras* m_extras; // null once disconnected
};

} // namespace

AccessibleObject::~AccessibleObject() {
    disconnect();
}

void AccessibleObject::disconnect() {
    if (!m_object)
        return;
    static_cast<ClientAccessible*>(m_object)->disconnect();
    if (const auto cut =
            systemFunction<HRESULT WINAPI(LPUNKNOWN, DWORD)>(L"ole32.dll", "CoDisconnectObject"))
        cut(m_object, 0);
    std::exchange(m_object, nullptr)->Release();
}

std::optional<LRESULT> AccessibleObject::answer(HWND window, WPARAM w, LPARAM l,
                                                ComApartment& com) {
    // Compared as 32 bits: the id is a DWORD that a 64-bit LPARAM may carry sign-extended.
    if (static_cast<DWORD>(l) != static_cast<DWORD>(OBJID_CLIENT) || !com.use())
        return std::nullopt;
    const auto standardObject = systemFunction<HRESULT WINAPI(HWND, LONG, REFIID, void**)>(
        L"oleacc.dll", "CreateStdAccessibleObject");
    const auto result = systemFunction<LRESULT WINAPI(REFIID, WPARAM, LPUNKNOWN)>(
        L"oleacc.dll", "LresultFromObject");
    if (!standardObject || !result)
        return std::nullopt;
    if (!m_object) {
        IAccessible* standard = nullptr;
        if (FAILED(standardObject(window, OBJID_CLIENT, IID_IAccessible,
                                  reinterpret_cast<void**>(&standard))) ||
            !standard)
            return std::nullopt;
        m_object = new ClientAccessible(window, standard, m_extras); // a COM object: it counts
    }
    return result(IID_IAccessible, w, m_object);
}

} // namespace platform::win32
