// SPDX-License-Identifier: MIT
// The contract's driver on Win32: messages as the system and other programs deliver them, through
// the runtime's own loop. "Another program" is a second thread, whose sent messages the window's
// thread answers as it answers another process's (InSendMessage).
#include "Driver.h"
#include "platform/win32/ComboBox.h"
#include "platform/win32/FormWindow.h"
#include "platform/win32/Runtime.h"
#include "platform/win32/Text.h"
#include "platform/win32/TextBox.h"

#include <windows.h>
#include <array>
#include <imm.h>
#include <map>
#include <oleacc.h>
#include <thread>

namespace contract {
namespace {

using platform::win32::toWide;

HWND handle(platform::TextBox& box) {
    return static_cast<platform::win32::TextBox&>(box).hwnd();
}

HWND handle(platform::Window& window) {
    return static_cast<platform::win32::FormWindow&>(window).hwnd();
}

// An IAccessible held as a screen reader holds it.
struct Held {
    IAccessible* object = nullptr;
    explicit Held(HWND window) {
        AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                   reinterpret_cast<void**>(&object));
    }
    ~Held() {
        if (object)
            object->Release();
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
};

VARIANT child(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

struct Stroke {
    UINT vk;
    UINT modifier = 0; // a key held with it
};

Stroke strokeOf(Key key) {
    static constexpr std::array<Stroke, 11> strokes{{{'7'},
                                                     {'X'},
                                                     {VK_BACK},
                                                     {'H', VK_CONTROL},
                                                     {'V', VK_CONTROL},
                                                     {VK_DELETE},
                                                     {VK_HOME},
                                                     {VK_LEFT},
                                                     {VK_TAB},
                                                     {VK_F2},
                                                     {VK_RETURN}}};
    return strokes[static_cast<std::size_t>(key)];
}

LPARAM keyData(UINT vk, bool repeat, bool alt = false) {
    const LPARAM scan = MapVirtualKeyW(vk, 0 /* MAPVK_VK_TO_VSC */);
    return 1 | (scan << 16) | (alt ? 1L << 29 : 0) | (repeat ? 1L << 30 : 0);
}

BOOL CALLBACK noteDialog(HWND window, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The message box of this thread that shows, if one does.
HWND showingDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), noteDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string dialogText(HWND dialog) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, 0xFFFF, text, 512); // the message box's text
    return platform::win32::toUtf8(text);
}

class Win32Driver : public Driver {
public:
    Win32Driver() {
        m_helper = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                   nullptr);
        SetWindowSubclass(m_helper, helperProc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    ~Win32Driver() override { DestroyWindow(m_helper); }
    Win32Driver(const Win32Driver&) = delete;
    Win32Driver& operator=(const Win32Driver&) = delete;

    platform::Runtime& runtime() override { return m_runtime; }

    void settle() override {
        const DWORD t0 = GetTickCount();
        struct P {
            DWORD t0;
            ~P() { fprintf(stderr, "settle %lu ms\n", GetTickCount() - t0); }
        } p{t0};
        MSG message;
        for (int idle = 0; idle < 3;) {
            if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                ++idle;
                Sleep(1);
                continue;
            }
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam)); // the loop's to take
                return;
            }
            m_runtime.deliver(message);
        }
    }

    void later(std::function<void()> action, int milliseconds) override {
        const UINT_PTR id = ++m_lastTimer;
        m_actions[id] = std::move(action);
        SetTimer(m_helper, id, static_cast<UINT>(milliseconds), nullptr);
    }

    bool has(Route route) const override { return route != Route::ScreenReaderInsert; }

    void enter(platform::TextBox& box, Route route, std::string_view text) override {
        const HWND edit = handle(box);
        const std::wstring wide = toWide(text);
        switch (route) {
        case Route::Paste:
            setClipboard(wide);
            SendMessageW(edit, WM_PASTE, 0, 0); // what the context menu's Paste does
            break;
        case Route::PasteByKey:
            setClipboard(wide);
            pressIn(edit, VK_INSERT, VK_SHIFT, false);
            break;
        case Route::OutsideBmp: {
            // The layout gives the key's character as two units, each with the key's data.
            const LPARAM data = keyData(VK_F24, false);
            PostMessageW(edit, WM_KEYDOWN, VK_F24, data);
            for (wchar_t unit : wide)
                PostMessageW(edit, WM_CHAR, unit, data);
            break;
        }
        case Route::InputMethod: {
            // The input method finishes a composition: its text becomes the result.
            const HIMC context = ImmGetContext(edit);
            ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<wchar_t*>(wide.c_str()),
                                     static_cast<DWORD>(wide.size() * sizeof(wchar_t)), nullptr, 0);
            ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
            ImmReleaseContext(edit, context);
            break;
        }
        case Route::PostedCharacters:
            for (wchar_t unit : wide)
                PostMessageW(edit, WM_CHAR, unit, 1);
            break;
        case Route::ScreenReaderSet: {
            Held held(edit);
            BSTR value = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
            held.object->put_accValue(child(CHILDID_SELF), value);
            SysFreeString(value);
            break;
        }
        default:
            fromAnotherProgram(edit, route, wide);
        }
    }

    void press(platform::TextBox& box, Key key, bool repeat) override {
        const Stroke stroke = strokeOf(key);
        pressIn(handle(box), stroke.vk, stroke.modifier, repeat);
    }

    void select(platform::TextBox& box, std::size_t from, std::size_t length) override {
        SetFocus(handle(box));
        SendMessageW(handle(box), EM_SETSEL, from, from + length);
    }

    bool hasFocus(platform::TextBox& box) override {
        settle();
        return GetFocus() == handle(box);
    }

    bool hasRedo() const override { return false; }
    void undo(platform::TextBox& box) override { SendMessageW(handle(box), WM_UNDO, 0, 0); }
    void redo(platform::TextBox&) override {}

    bool takesDrops() const override { return false; }
    DropAction drop(platform::TextBox&, std::string_view, bool) override {
        return DropAction::None;
    }

    void pickNext(platform::ComboBox& combo) override {
        const HWND field = comboField(combo);
        SetFocus(field);
        pressIn(field, VK_DOWN, 0, false);
    }

    void typeInto(platform::ComboBox& combo, std::string_view text) override {
        const HWND field = comboField(combo);
        SetFocus(field);
        SendMessageW(field, EM_SETSEL, 0, -1);
        for (wchar_t unit : toWide(text))
            PostMessageW(field, WM_CHAR, unit, 1);
        pressIn(field, VK_RETURN, 0, false);
        SetFocus(nullptr);
        settle();
    }

    Point mouse(platform::Window& window, platform::Picture&, const design::Placement& place,
                Point from, Point to, std::optional<Point> via) override {
        const HWND form = handle(window);
        const RECT at = static_cast<platform::win32::FormWindow&>(window).pixelRect(place, 96);
        const auto client = [&](Point p) {
            return MAKELPARAM(at.left + p.x, at.top + p.y);
        };
        PostMessageW(form, WM_LBUTTONDOWN, MK_LBUTTON, client(from));
        if (via)
            PostMessageW(form, WM_MOUSEMOVE, MK_LBUTTON, client(*via));
        PostMessageW(form, WM_MOUSEMOVE, MK_LBUTTON, client(to));
        PostMessageW(form, WM_LBUTTONUP, 0, client(to));
        POINT screen{at.left + from.x, at.top + from.y};
        ClientToScreen(form, &screen);
        return {screen.x, screen.y};
    }

    void screenReaderPress(platform::Window& window, platform::Picture&) override {
        Held held(handle(window));
        long count = 0;
        held.object->get_accChildCount(&count);
        for (long id = 1; id <= count; ++id) {
            VARIANT role;
            VariantInit(&role);
            if (SUCCEEDED(held.object->get_accRole(child(id), &role)) && role.vt == VT_I4 &&
                role.lVal == ROLE_SYSTEM_PUSHBUTTON) {
                held.object->accDoDefaultAction(child(id));
                return;
            }
        }
    }

    std::function<void()> holdPressAction(platform::Window& window) override {
        auto held = std::make_shared<Held>(handle(window));
        return [held] {
            held->object->accDoDefaultAction(child(CHILDID_SELF));
        };
    }

    // As the keyboard gives them, through the system's input queue: the system makes the
    // commands (WM_HELP, IDCANCEL, SC_CLOSE) of such keys only.
    void command(platform::Window& window, CommandKey how) override {
        if (how == CommandKey::Close) {
            PostMessageW(handle(window), WM_SYSCOMMAND, SC_CLOSE, 0);
            return;
        }
        SetForegroundWindow(handle(window));
        static constexpr UINT keys[] = {VK_F4, 0, VK_F1, VK_ESCAPE};
        const UINT vk = keys[static_cast<int>(how)];
        std::vector<INPUT> inputs;
        const auto add = [&inputs](UINT key, bool up) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = static_cast<WORD>(key);
            input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            inputs.push_back(input);
        };
        if (how == CommandKey::AltF4)
            add(VK_MENU, false);
        add(vk, false);
        add(vk, true);
        if (how == CommandKey::AltF4)
            add(VK_MENU, true);
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        settle();
    }

    void answerBoxes(std::function<void()> whileShowing) override {
        m_whileShowing = std::move(whileShowing);
        SetTimer(m_helper, answerTimer, 10, nullptr);
    }

    std::vector<std::string> answeredBoxes() const override { return m_answered; }

    std::optional<std::string> showingBox() const override {
        if (HWND dialog = showingDialog())
            return dialogText(dialog);
        return std::nullopt;
    }

    void pressInBox(Key key, bool repeat) override {
        const UINT vk = strokeOf(key).vk;
        PostMessageW(GetFocus(), WM_KEYDOWN, vk, keyData(vk, repeat));
    }

private:
    static constexpr UINT_PTR answerTimer = 0x7fff;

    static LRESULT CALLBACK helperProc(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                       DWORD_PTR self) {
        if (message == WM_TIMER)
            reinterpret_cast<Win32Driver*>(self)->timer(w);
        return DefSubclassProc(window, message, w, l);
    }

    void timer(UINT_PTR id) {
        if (id == answerTimer)
            return answer();
        KillTimer(m_helper, id);
        if (auto found = m_actions.extract(id); !found.empty())
            found.mapped()();
    }

    // A tick inside the box's own loop.
    void answer() {
        const HWND dialog = showingDialog();
        if (!dialog)
            return;
        if (auto action = std::exchange(m_whileShowing, {}))
            return action(); // answered at a later tick, if it still shows
        m_answered.push_back(dialogText(dialog));
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    }

    // A key as the keyboard gives it: down (translated to its character by the loop), then up.
    void pressIn(HWND target, UINT vk, UINT modifier, bool repeat) {
        BYTE keys[256] = {}, before[256] = {};
        GetKeyboardState(before);
        std::copy(std::begin(before), std::end(before), keys);
        if (modifier)
            keys[modifier] = 0x80;
        keys[vk] = 0x80;
        SetKeyboardState(keys);
        PostMessageW(target, WM_KEYDOWN, vk, keyData(vk, repeat));
        settle();
        keys[vk] = 0;
        SetKeyboardState(keys);
        PostMessageW(target, WM_KEYUP, vk, keyData(vk, false) | 0xC0000000);
        settle();
        SetKeyboardState(before);
    }

    void setClipboard(const std::wstring& text) {
        OpenClipboard(m_helper);
        EmptyClipboard();
        const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
            std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(GlobalLock(memory)));
            GlobalUnlock(memory);
            SetClipboardData(CF_UNICODETEXT, memory); // the clipboard owns it now
        }
        CloseClipboard();
    }

    // Sends from a second thread and answers each message as it comes, as the window's thread
    // answers another program: only sent messages, nothing posted, until the sender is done.
    void fromAnotherProgram(HWND edit, Route route, const std::wstring& text) {
        const HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::thread sender([edit, route, &text, done] {
            send(edit, route, text);
            SetEvent(done);
        });
        MSG message;
        while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_SENDMESSAGE) !=
               WAIT_OBJECT_0)
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        sender.join();
        CloseHandle(done);
    }

    static void send(HWND edit, Route route, const std::wstring& text) {
        if (route == Route::SentCharacters) {
            for (wchar_t unit : text)
                SendMessageW(edit, WM_CHAR, unit, 1);
        } else if (route == Route::Unichar) {
            for (std::size_t i = 0; i < text.size(); ++i) {
                UINT code = text[i];
                if (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size())
                    code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
                SendMessageW(edit, WM_UNICHAR, code, 0);
            }
        } else if (route == Route::ReplaceSelection) {
            SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
        } else {
            SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
    }

    static HWND comboField(platform::ComboBox& combo) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        GetComboBoxInfo(static_cast<platform::win32::ComboBox&>(combo).hwnd(), &info);
        return info.hwndItem;
    }

    platform::win32::Runtime m_runtime{GetModuleHandleW(nullptr), SW_SHOWNORMAL};
    HWND m_helper = nullptr; // timers and the clipboard's owner
    UINT_PTR m_lastTimer = 0;
    std::map<UINT_PTR, std::function<void()>> m_actions;
    std::function<void()> m_whileShowing;
    std::vector<std::string> m_answered;
};

} // namespace

std::unique_ptr<Driver> makeDriver() {
    return std::make_unique<Win32Driver>();
}

} // namespace contract
