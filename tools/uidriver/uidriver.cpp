// Drives the real windows of another program from outside, for the end-to-end tests: finds
// top-level windows by caption and controls among all their descendants, reads and changes
// their state, and clicks them the way a user would. It needs no help from the program under
// test. One command per run; results go to stdout as UTF-8 lines.

#include <windows.h>

#include <objbase.h>
#include <oleacc.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include "platform/win32/unique_handle.h"

#include <algorithm>
#include <cwchar>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using vtrl::win32::ComApartment;
using vtrl::win32::unique_file;

enum ExitCode : int { kOk = 0, kNotFound = 1, kUsage = 2 };

// How long a command waits for its window or control to appear, unless told otherwise.
constexpr DWORD kDefaultTimeoutMs = 5000;
constexpr DWORD kPollIntervalMs = 50;
// A window that does not answer a query within this time is treated as not matching.
constexpr UINT kQueryTimeoutMs = 2000;
// A click whose handler runs longer than this (typically a modal message box) keeps running
// after we return; the caller then waits for its effect.
constexpr UINT kClickTimeoutMs = 1000;
// Time given to a posted mouse click to be taken from the queue before we return.
constexpr DWORD kPostedClickSettleMs = 100;
// Longest wait for a clicked program to come back to its message loop.
constexpr DWORD kIdleTimeoutMs = 15000;
// The message text of a standard message box is the static control with this ID.
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr wchar_t kDialogClass[] = L"#32770";

// ---------------------------------------------------------------------------------------------
// Output

void Write(DWORD stream, std::wstring_view text) {
    HANDLE handle = GetStdHandle(stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) {
        return;
    }
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return;
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// Prints one or more lines; CR LF inside control texts becomes a plain line break.
void PrintLine(std::wstring_view line) {
    std::wstring text;
    text.reserve(line.size() + 1);
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == L'\r' && i + 1 < line.size() && line[i + 1] == L'\n') {
            continue;
        }
        text += line[i];
    }
    text += L'\n';
    Write(STD_OUTPUT_HANDLE, text);
}

int Fail(ExitCode code, std::wstring_view message) {
    Write(STD_ERROR_HANDLE, L"uidriver: " + std::wstring(message) + L"\n");
    return code;
}

std::wstring HandleText(HWND window) {
    wchar_t buffer[32];
    std::swprintf(buffer, std::size(buffer), L"0x%llX",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    return buffer;
}

// ---------------------------------------------------------------------------------------------
// Text rules

// "&Yes" is shown as "Yes" with an underlined Y; "&&" is a literal ampersand.
std::wstring StripAccelerators(std::wstring_view text) {
    std::wstring result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&') {
            if (i + 1 < text.size() && text[i + 1] == L'&') {
                result += L'&';
                ++i;
            }
            continue;
        }
        result += text[i];
    }
    return result;
}

bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::optional<unsigned long> ParseNumber(std::wstring_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const std::wstring copy(text);
    wchar_t* end = nullptr;
    const int base =
        copy.size() > 2 && copy[0] == L'0' && (copy[1] == L'x' || copy[1] == L'X') ? 16 : 10;
    const unsigned long value = std::wcstoul(copy.c_str(), &end, base);
    if (end != copy.c_str() + copy.size() || copy[0] == L'-' || copy[0] == L'+') {
        return std::nullopt;
    }
    return value;
}

// ---------------------------------------------------------------------------------------------
// Window queries

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows; // in z-order, topmost first
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> windows;
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

// A top-level caption is kept by the system, so reading it never waits for the owner.
std::wstring Caption(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::optional<LRESULT> Query(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kQueryTimeoutMs,
                             &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

// A control of another process only reveals its text through WM_GETTEXT, which the system
// marshals; GetWindowText would return an empty string for it.
std::wstring ControlText(HWND window) {
    const auto length = Query(window, WM_GETTEXTLENGTH, 0, 0);
    if (!length || *length <= 0) {
        return {};
    }
    std::wstring text(static_cast<size_t>(*length) + 1, L'\0');
    const auto copied =
        Query(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied && *copied > 0 ? std::min(static_cast<size_t>(*copied), text.size() - 1)
                                      : 0);
    return text;
}

bool IsButton(HWND window) {
    return EqualsIgnoreCase(ClassOf(window), L"Button");
}
bool IsStatic(HWND window) {
    return EqualsIgnoreCase(ClassOf(window), L"Static");
}

int ControlId(HWND window) {
    return static_cast<int>(GetWindowLongPtrW(window, GWLP_ID));
}

// A user can only click a control when it and every window above it are enabled.
bool IsReachable(HWND control) {
    for (HWND window = control; window != nullptr; window = GetAncestor(window, GA_PARENT)) {
        if (window == GetDesktopWindow()) {
            break;
        }
        if (!IsWindowEnabled(window)) {
            return false;
        }
    }
    return true;
}

// What a command names a control by: "#12" is the control ID 12, anything else its caption.
// Vantorel's own windows name each control in this window property: a global atom that holds
// the control's name ("Label3", "BAexe(4)").
constexpr wchar_t kControlNameProperty[] = L"VantorelControl";

std::wstring ControlName(HWND control) {
    const auto atom =
        static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropW(control, kControlNameProperty)));
    if (atom == 0) {
        return {};
    }
    wchar_t name[256] = {};
    const UINT length = GlobalGetAtomNameW(atom, name, static_cast<int>(std::size(name)));
    return std::wstring(name, length);
}

struct ControlRef {
    std::optional<int> id;
    std::wstring caption;
    std::wstring name;

    static ControlRef Parse(std::wstring_view text) {
        if (text.size() > 1 && text[0] == L'@') {
            return {std::nullopt, {}, std::wstring(text.substr(1))};
        }
        if (text.size() > 1 && text[0] == L'#') {
            if (const auto number = ParseNumber(text.substr(1))) {
                return {static_cast<int>(*number), {}, {}};
            }
        }
        return {std::nullopt, std::wstring(text), {}};
    }

    bool Matches(HWND control) const {
        if (!name.empty()) {
            return ControlName(control) == name;
        }
        if (id) {
            // Dialog templates store IDs as 16 bits: 0xFFFF may come back sign-extended.
            return (ControlId(control) & 0xFFFF) == (*id & 0xFFFF);
        }
        const std::wstring text = ControlText(control);
        if (IsButton(control)) {
            return StripAccelerators(text) == StripAccelerators(caption);
        }
        return text == caption;
    }
};

std::vector<HWND> FindTopLevel(std::wstring_view caption) {
    std::vector<HWND> found;
    for (HWND window : TopLevelWindows()) {
        if (IsWindowVisible(window) && Caption(window) == caption) {
            found.push_back(window);
        }
    }
    return found;
}

struct FoundControl {
    HWND top = nullptr;
    HWND control = nullptr;
};

enum class ControlKind { Any, Button };

// Looks through every visible top-level window with the caption, topmost first, so that a
// message box wins over its owner when both carry the program's title. A visible match is
// preferred to a hidden one.
std::optional<FoundControl> FindControl(std::wstring_view caption, const ControlRef& ref,
                                        ControlKind kind) {
    std::optional<FoundControl> hidden;
    for (HWND top : FindTopLevel(caption)) {
        for (HWND child : Descendants(top)) {
            if (kind == ControlKind::Button && !IsButton(child)) {
                continue;
            }
            if (!ref.Matches(child)) {
                continue;
            }
            if (IsWindowVisible(child)) {
                return FoundControl{top, child};
            }
            if (!hidden) {
                hidden = FoundControl{top, child};
            }
        }
    }
    return hidden;
}

template <typename Probe> auto WaitFor(DWORD timeoutMs, Probe probe) -> decltype(probe()) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (auto result = probe()) {
            return result;
        }
        if (GetTickCount64() >= deadline) {
            return {};
        }
        Sleep(kPollIntervalMs);
    }
}

std::optional<FoundControl> WaitForControl(std::wstring_view caption, const ControlRef& ref,
                                           ControlKind kind = ControlKind::Any) {
    return WaitFor(kDefaultTimeoutMs, [&] { return FindControl(caption, ref, kind); });
}

// ---------------------------------------------------------------------------------------------
// Actions

// Waits until the program owning `top` waits for input again, so that what a click started has
// finished before the caller looks at its effect or sends the next click (sent messages overtake
// posted ones, so a posted click still queued would otherwise run after a later sent click).
// The process's idle state is set while its main thread waits on an empty queue and cleared
// when it wakes; `settleMs` gives a just-posted message time to wake it, and the wait ends early
// once the thread has been seen busy.
void WaitUntilIdle(HWND top, DWORD settleMs) {
    DWORD processId = 0;
    GetWindowThreadProcessId(top, &processId);
    const vtrl::win32::unique_kernel_handle process{
        OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, processId)};
    if (!process) {
        Sleep(settleMs);
        return;
    }
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < settleMs && WaitForInputIdle(process.get(), 0) == 0) {
        Sleep(5);
    }
    WaitForInputIdle(process.get(), kIdleTimeoutMs);
}

// BM_CLICK makes the button behave exactly as under a mouse click (check state, radio group,
// BN_CLICKED). It is sent rather than posted so that a quick handler has finished when we
// return; a handler that opens a modal window simply outlives the timeout.
bool ClickButton(HWND top, HWND button) {
    // A button in an inactive dialog may ignore BM_CLICK, so its window is activated first.
    SetForegroundWindow(top);
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, kClickTimeoutMs, &result)) {
        return true;
    }
    if (GetLastError() != ERROR_TIMEOUT) {
        return false;
    }
    // A slow handler finishes first; one that opened a modal window is idle in its loop.
    WaitUntilIdle(top, 0);
    return true;
}

// A label or any other control gets a real mouse click at its centre. Where the control lets
// clicks fall through (a static without SS_NOTIFY answers HTTRANSPARENT), the window beneath
// receives it, as it would from the mouse.
bool ClickAtCentre(HWND top, HWND control) {
    SetForegroundWindow(top);
    RECT bounds{};
    if (!GetWindowRect(control, &bounds)) {
        return false;
    }
    const POINT screen{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
    HWND target = control;
    while (target != top) {
        const auto hit = Query(target, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
        if (!hit || *hit != HTTRANSPARENT) {
            break;
        }
        target = GetAncestor(target, GA_PARENT);
    }
    POINT client = screen;
    ScreenToClient(target, &client);
    const LPARAM where = MAKELPARAM(client.x, client.y);
    if (!PostMessageW(target, WM_MOUSEMOVE, 0, where) ||
        !PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, where) ||
        !PostMessageW(target, WM_LBUTTONUP, 0, where)) {
        return false;
    }
    WaitUntilIdle(top, kPostedClickSettleMs);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Commands

using Args = std::vector<std::wstring>;

std::optional<DWORD> TimeoutArg(const Args& args, size_t index) {
    if (index >= args.size()) {
        return kDefaultTimeoutMs;
    }
    const auto value = ParseNumber(args[index]);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<DWORD>(*value);
}

int NotFound(std::wstring_view caption, std::wstring_view control = {}) {
    if (control.empty()) {
        return Fail(kNotFound, L"no visible window \"" + std::wstring(caption) + L"\"");
    }
    return Fail(kNotFound, L"no control \"" + std::wstring(control) + L"\" in window \"" +
                               std::wstring(caption) + L"\"");
}

int WaitWindow(const Args& args) {
    const auto timeout = TimeoutArg(args, 1);
    if (!timeout) {
        return Fail(kUsage, L"bad timeout");
    }
    const auto window = WaitFor(*timeout, [&]() -> std::optional<HWND> {
        const auto found = FindTopLevel(args[0]);
        return found.empty() ? std::nullopt : std::optional<HWND>(found.front());
    });
    if (!window) {
        return NotFound(args[0]);
    }
    PrintLine(HandleText(*window));
    return kOk;
}

int WaitGone(const Args& args) {
    const auto timeout = TimeoutArg(args, 1);
    if (!timeout) {
        return Fail(kUsage, L"bad timeout");
    }
    const bool gone = WaitFor(*timeout, [&] { return FindTopLevel(args[0]).empty(); });
    return gone ? kOk : Fail(kNotFound, L"window \"" + args[0] + L"\" is still there");
}

bool IsMessageBox(HWND window) {
    if (!IsWindowVisible(window) || ClassOf(window) != kDialogClass) {
        return false;
    }
    for (HWND child : Descendants(window)) {
        if ((ControlId(child) & 0xFFFF) == kMessageBoxTextId && IsStatic(child)) {
            return true;
        }
    }
    return false;
}

int MsgboxText(const Args& args) {
    const std::wstring caption = args.empty() ? std::wstring() : args[0];
    const auto timeout = TimeoutArg(args, 1);
    if (!timeout) {
        return Fail(kUsage, L"bad timeout");
    }
    const auto box = WaitFor(*timeout, [&]() -> std::optional<HWND> {
        for (HWND window : TopLevelWindows()) {
            if (IsMessageBox(window) && (caption.empty() || Caption(window) == caption)) {
                return window;
            }
        }
        return std::nullopt;
    });
    if (!box) {
        return Fail(kNotFound,
                    caption.empty() ? L"no message box" : L"no message box \"" + caption + L"\"");
    }
    std::vector<std::wstring> buttons;
    std::wstring text;
    for (HWND child : Descendants(*box)) {
        if ((ControlId(child) & 0xFFFF) == kMessageBoxTextId && IsStatic(child)) {
            text = ControlText(child);
        } else if (IsButton(child) && IsWindowVisible(child)) {
            buttons.push_back(StripAccelerators(ControlText(child)));
        }
    }
    PrintLine(text);
    for (const auto& button : buttons) {
        PrintLine(L"button: " + button);
    }
    return kOk;
}

int ClickFound(const FoundControl& found, std::wstring_view name) {
    if (!IsWindowVisible(found.control)) {
        return Fail(kNotFound, L"control \"" + std::wstring(name) + L"\" is hidden");
    }
    if (!IsReachable(found.control)) {
        return Fail(kNotFound, L"control \"" + std::wstring(name) + L"\" is disabled");
    }
    const bool clicked = IsButton(found.control) ? ClickButton(found.top, found.control)
                                                 : ClickAtCentre(found.top, found.control);
    return clicked ? kOk : Fail(kNotFound, L"the click on \"" + std::wstring(name) + L"\" failed");
}

int Press(const Args& args) {
    const auto found = WaitForControl(args[0], ControlRef::Parse(args[1]), ControlKind::Button);
    return found ? ClickFound(*found, args[1]) : NotFound(args[0], args[1]);
}

int Click(const Args& args) {
    const auto found = WaitForControl(args[0], ControlRef::Parse(args[1]));
    return found ? ClickFound(*found, args[1]) : NotFound(args[0], args[1]);
}

int Text(const Args& args) {
    const auto found = WaitForControl(args[0], ControlRef::Parse(args[1]));
    if (!found) {
        return NotFound(args[0], args[1]);
    }
    PrintLine(ControlText(found->control));
    return kOk;
}

int WaitText(const Args& args) {
    const auto timeout = TimeoutArg(args, 3);
    if (!timeout) {
        return Fail(kUsage, L"bad timeout");
    }
    const auto ref = ControlRef::Parse(args[1]);
    std::wstring last;
    const bool matched = WaitFor(*timeout, [&] {
        const auto found = FindControl(args[0], ref, ControlKind::Any);
        last = found ? ControlText(found->control) : std::wstring();
        return found && last == args[2];
    });
    if (!matched) {
        return Fail(kNotFound, L"text of \"" + args[1] + L"\" is \"" + last + L"\"");
    }
    return kOk;
}

// The texts of the shown controls whose names begin with the prefix, one per line in the order
// the window made them: what a user sees of a list of rows, read in one run.
int VisibleTexts(const Args& args) {
    const auto tops = WaitFor(kDefaultTimeoutMs, [&] {
        auto found = FindTopLevel(args[0]);
        return found.empty() ? std::optional<std::vector<HWND>>() : std::optional(found);
    });
    if (!tops) {
        return NotFound(args[0]);
    }
    for (HWND child : Descendants(tops->front())) {
        if (IsWindowVisible(child) && ControlName(child).starts_with(args[1])) {
            PrintLine(ControlText(child));
        }
    }
    return kOk;
}

int State(const Args& args) {
    const auto found = WaitForControl(args[0], ControlRef::Parse(args[1]));
    if (!found) {
        return NotFound(args[0], args[1]);
    }
    const LRESULT checked =
        IsButton(found->control) ? Query(found->control, BM_GETCHECK, 0, 0).value_or(0) : 0;
    wchar_t line[64];
    std::swprintf(line, std::size(line), L"checked=%d visible=%d enabled=%d",
                  static_cast<int>(checked), IsWindowVisible(found->control) ? 1 : 0,
                  IsWindowEnabled(found->control) ? 1 : 0);
    PrintLine(line);
    return kOk;
}

int SetText(const Args& args) {
    const auto found = WaitForControl(args[0], ControlRef::Parse(args[1]));
    if (!found) {
        return NotFound(args[0], args[1]);
    }
    const auto done =
        Query(found->control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[2].c_str()));
    if (!done || !*done) {
        return Fail(kNotFound, L"the control refused the text");
    }
    return kOk;
}

// The item messages of the two standard list controls.
struct ListMessages {
    UINT count, textLength, text, setSelection;
    WORD selectionChanged;
    bool notifiesOnlyWithStyle;
};

std::optional<ListMessages> ListMessagesFor(HWND control) {
    const std::wstring className = ClassOf(control);
    if (EqualsIgnoreCase(className, L"ListBox")) {
        return ListMessages{LB_GETCOUNT,  LB_GETTEXTLEN, LB_GETTEXT,
                            LB_SETCURSEL, LBN_SELCHANGE, true};
    }
    if (EqualsIgnoreCase(className, L"ComboBox")) {
        return ListMessages{CB_GETCOUNT,  CB_GETLBTEXTLEN, CB_GETLBTEXT,
                            CB_SETCURSEL, CBN_SELCHANGE,   false};
    }
    return std::nullopt;
}

std::optional<std::vector<std::wstring>> ListItems(HWND control, const ListMessages& messages) {
    const auto count = Query(control, messages.count, 0, 0);
    if (!count || *count < 0) {
        return std::nullopt;
    }
    std::vector<std::wstring> items;
    for (LRESULT i = 0; i < *count; ++i) {
        const auto length = Query(control, messages.textLength, static_cast<WPARAM>(i), 0);
        if (!length || *length < 0) {
            return std::nullopt; // owner-drawn without strings, or the list changed under us
        }
        std::wstring item(static_cast<size_t>(*length) + 1, L'\0');
        const auto copied = Query(control, messages.text, static_cast<WPARAM>(i),
                                  reinterpret_cast<LPARAM>(item.data()));
        item.resize(copied && *copied > 0 ? std::min(static_cast<size_t>(*copied), item.size() - 1)
                                          : 0);
        items.push_back(std::move(item));
    }
    return items;
}

int ListItemsCommand(const Args& args) {
    const auto found = WaitForControl(args[0], ControlRef::Parse(args[1]));
    if (!found) {
        return NotFound(args[0], args[1]);
    }
    const auto messages = ListMessagesFor(found->control);
    if (!messages) {
        return Fail(kNotFound,
                    L"\"" + args[1] + L"\" is a " + ClassOf(found->control) + L", not a list box");
    }
    const auto items = ListItems(found->control, *messages);
    if (!items) {
        return Fail(kNotFound, L"the items of \"" + args[1] + L"\" cannot be read");
    }
    for (const auto& item : *items) {
        PrintLine(item);
    }
    return kOk;
}

// What a screen reader reads of a control, from this other process: the accessible object of its
// client area (oleacc loaded at run time: its import library clashes with uuid's).
struct ReleaseAccessible {
    void operator()(IAccessible* object) const { object->Release(); }
};
using AccessiblePtr = std::unique_ptr<IAccessible, ReleaseAccessible>;

AccessiblePtr ClientAccessible(HWND control) {
    using FromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
    const auto fromWindow = oleacc == nullptr
                                ? nullptr
                                : reinterpret_cast<FromWindow>(reinterpret_cast<void*>(
                                      GetProcAddress(oleacc, "AccessibleObjectFromWindow")));
    IAccessible* object = nullptr;
    if (fromWindow == nullptr ||
        FAILED(fromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                          reinterpret_cast<void**>(&object)))) {
        return nullptr;
    }
    return AccessiblePtr(object);
}

VARIANT ChildVariant(LONG child) {
    VARIANT id;
    VariantInit(&id);
    id.vt = VT_I4;
    id.lVal = child;
    return id;
}

// A VT_I4 answer (a role, a child id); 0 for any other answer.
LONG IntegerAnswer(HRESULT got, VARIANT& answer) {
    const LONG value = SUCCEEDED(got) && answer.vt == VT_I4 ? answer.lVal : 0;
    VariantClear(&answer);
    return value;
}

// "role=list|client|N count=N selected=ID focused=ID" (child ids, 0 for none), then each
// child's name on a line of its own.
int AccessibleListCommand(const Args& args) {
    const auto found = WaitForControl(args[0], ControlRef::Parse(args[1]));
    if (!found) {
        return NotFound(args[0], args[1]);
    }
    const ComApartment apartment;
    const AccessiblePtr object = ClientAccessible(found->control);
    if (!object) {
        return Fail(kNotFound, L"\"" + args[1] + L"\" has no accessible object");
    }
    VARIANT answer;
    VariantInit(&answer);
    const LONG role =
        IntegerAnswer(object->get_accRole(ChildVariant(CHILDID_SELF), &answer), answer);
    LONG count = 0;
    if (FAILED(object->get_accChildCount(&count))) {
        count = 0;
    }
    const LONG selected = IntegerAnswer(object->get_accSelection(&answer), answer);
    const LONG focused = IntegerAnswer(object->get_accFocus(&answer), answer);
    const std::wstring roleText = role == ROLE_SYSTEM_LIST     ? L"list"
                                  : role == ROLE_SYSTEM_CLIENT ? L"client"
                                                               : std::to_wstring(role);
    PrintLine(L"role=" + roleText + L" count=" + std::to_wstring(count) + L" selected=" +
              std::to_wstring(selected) + L" focused=" + std::to_wstring(focused));
    for (LONG child = 1; child <= count; ++child) {
        BSTR name = nullptr;
        if (object->get_accName(ChildVariant(child), &name) == S_OK && name != nullptr) {
            PrintLine(std::wstring(name, SysStringLen(name)));
        } else {
            PrintLine(L"");
        }
        SysFreeString(name);
    }
    return kOk;
}

// Selects an item by its text or by "#N" (zero-based) and tells the parent, as a click on the
// item would; setting the selection by message alone notifies nobody.
int SelectItem(const Args& args) {
    const auto found = WaitForControl(args[0], ControlRef::Parse(args[1]));
    if (!found) {
        return NotFound(args[0], args[1]);
    }
    const auto messages = ListMessagesFor(found->control);
    if (!messages) {
        return Fail(kNotFound, L"\"" + args[1] + L"\" is not a list box");
    }
    if (!IsReachable(found->control)) {
        return Fail(kNotFound, L"control \"" + args[1] + L"\" is disabled");
    }
    const auto items = ListItems(found->control, *messages);
    if (!items) {
        return Fail(kNotFound, L"the items of \"" + args[1] + L"\" cannot be read");
    }
    std::optional<size_t> index;
    if (args[2].size() > 1 && args[2][0] == L'#') {
        index = ParseNumber(std::wstring_view(args[2]).substr(1));
    } else {
        for (size_t i = 0; i < items->size(); ++i) {
            if ((*items)[i] == args[2]) {
                index = i;
                break;
            }
        }
    }
    if (!index || *index >= items->size()) {
        return Fail(kNotFound, L"no item \"" + args[2] + L"\"");
    }
    if (!Query(found->control, messages->setSelection, *index, 0)) {
        return Fail(kNotFound, L"the list did not answer");
    }
    const LONG_PTR style = GetWindowLongPtrW(found->control, GWL_STYLE);
    if (!messages->notifiesOnlyWithStyle || (style & LBS_NOTIFY)) {
        const WPARAM command = MAKEWPARAM(ControlId(found->control), messages->selectionChanged);
        Query(GetParent(found->control), WM_COMMAND, command,
              reinterpret_cast<LPARAM>(found->control));
    }
    return kOk;
}

std::map<DWORD, std::wstring> ProcessNames() {
    std::map<DWORD, std::wstring> names;
    unique_file snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return names;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        names[entry.th32ProcessID] = entry.szExeFile;
    }
    return names;
}

// The file name part, whether the snapshot gives a bare name or a full path.
std::wstring_view FileNamePart(std::wstring_view path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

int List(const Args& args) {
    const auto names = ProcessNames();
    for (HWND window : TopLevelWindows()) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (!args.empty()) {
            const auto name = names.find(pid);
            if (name == names.end() || !EqualsIgnoreCase(FileNamePart(name->second), args[0])) {
                continue;
            }
        }
        PrintLine(HandleText(window) + L"\t" + std::to_wstring(pid) + L"\t" + ClassOf(window) +
                  L"\t" + Caption(window) + L"\t" + (IsWindowVisible(window) ? L"1" : L"0"));
    }
    return kOk;
}

// The first top-level window with the caption, shown or hidden (the tray agent never shows its).
std::optional<HWND> AnyTopLevel(std::wstring_view caption) {
    for (HWND window : TopLevelWindows()) {
        if (Caption(window) == caption) {
            return window;
        }
    }
    return std::nullopt;
}

int Rect(const Args& args) {
    const auto found = FindTopLevel(args[0]);
    if (found.empty()) {
        return NotFound(args[0]);
    }
    RECT rect{};
    GetWindowRect(found.front(), &rect);
    PrintLine(std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " +
              std::to_wstring(rect.right - rect.left) + L" " +
              std::to_wstring(rect.bottom - rect.top));
    return kOk;
}

// Vantorel's tray icon: identifier 1 of its window, mouse events in this callback message.
constexpr UINT kVantorelTrayId = 1;
constexpr UINT kVantorelTrayMessage = WM_APP + 1;

// Modifying nothing succeeds only for an icon the shell has.
bool HasTrayIcon(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = kVantorelTrayId;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

int TrayIcon(const Args& args) {
    const auto window = AnyTopLevel(args[0]);
    if (!window) {
        return NotFound(args[0]);
    }
    PrintLine(HasTrayIcon(*window) ? L"present" : L"absent");
    return kOk;
}

// Releases the left button over the icon and watches, as fast as the shell answers, which goes
// first: the icon (while its window still exists: the program removed it) or the window (the
// shell then drops the icon of a destroyed window by itself, which proves nothing).
int TrayClick(const Args& args) {
    const auto window = AnyTopLevel(args[0]);
    if (!window) {
        return NotFound(args[0]);
    }
    if (!HasTrayIcon(*window)) {
        return Fail(kNotFound, L"the window \"" + args[0] + L"\" has no icon to click");
    }
    PostMessageW(*window, kVantorelTrayMessage, kVantorelTrayId, WM_LBUTTONUP);
    const ULONGLONG started = GetTickCount64();
    while (GetTickCount64() - started < kDefaultTimeoutMs) {
        const bool present = HasTrayIcon(*window);
        // Asked after the icon: a window that exists now existed when the icon was asked for.
        if (!IsWindow(*window)) {
            PrintLine(L"window-gone-first");
            return kNotFound;
        }
        if (!present) {
            PrintLine(L"icon-gone-first");
            return kOk;
        }
    }
    PrintLine(L"icon-stayed");
    return kNotFound;
}

int TrayMessage(const Args& args) {
    const auto window = AnyTopLevel(args[0]);
    const auto message = ParseNumber(args[1]);
    if (!message) {
        return Fail(kUsage, L"bad mouse message");
    }
    if (!window) {
        return NotFound(args[0]);
    }
    PostMessageW(*window, kVantorelTrayMessage, kVantorelTrayId, static_cast<LPARAM>(*message));
    return kOk;
}

int Close(const Args& args) {
    // A hidden window (the tray agent's) closes as well, as CloseWindowByTitle would close it.
    const auto window = WaitFor(kDefaultTimeoutMs, [&]() -> std::optional<HWND> {
        const auto found = FindTopLevel(args[0]);
        return found.empty() ? AnyTopLevel(args[0]) : std::optional<HWND>(found.front());
    });
    if (!window) {
        return NotFound(args[0]);
    }
    // Posted: the window may ask a question before closing, and that must not block us.
    return PostMessageW(*window, WM_CLOSE, 0, 0) ? kOk : Fail(kNotFound, L"WM_CLOSE not posted");
}

struct Command {
    std::wstring_view name;
    size_t minArgs;
    size_t maxArgs;
    int (*run)(const Args&);
    std::wstring_view usage;
};

constexpr Command kCommands[] = {
    {L"wait-window", 1, 2, WaitWindow, L"CAPTION [TIMEOUT_MS]   print the window's handle"},
    {L"wait-gone", 1, 2, WaitGone, L"CAPTION [TIMEOUT_MS]"},
    {L"msgbox-text", 0, 2, MsgboxText,
     L"[CAPTION] [TIMEOUT_MS]   message text, then \"button: X\" lines (\"\" = any caption)"},
    {L"press", 2, 2, Press, L"CAPTION BUTTON   button by caption (& ignored) or #ID"},
    {L"click", 2, 2, Click, L"CAPTION CONTROL   any control by caption or #ID"},
    {L"text", 2, 2, Text, L"CAPTION CONTROL"},
    {L"wait-text", 3, 4, WaitText, L"CAPTION CONTROL TEXT [TIMEOUT_MS]"},
    {L"state", 2, 2, State, L"CAPTION CONTROL   checked=0|1|2 visible=0|1 enabled=0|1"},
    {L"set-text", 3, 3, SetText, L"CAPTION CONTROL TEXT"},
    {L"visible-texts", 2, 2, VisibleTexts,
     L"CAPTION NAME_PREFIX   texts of the shown controls so named, one per line"},
    {L"list-items", 2, 2, ListItemsCommand, L"CAPTION CONTROL   one item per line"},
    {L"select-item", 3, 3, SelectItem, L"CAPTION CONTROL ITEM   ITEM is a text or #INDEX"},
    {L"accessible-list", 2, 2, AccessibleListCommand,
     L"CAPTION CONTROL   as a screen reader sees it: \"role=R count=N selected=ID focused=ID\", "
     L"then each child's name"},
    {L"list", 0, 1, List, L"[EXE_NAME]   handle, pid, class, caption, visible (tab-separated)"},
    {L"close", 1, 1, Close, L"CAPTION   post WM_CLOSE (to a hidden window too)"},
    {L"rect", 1, 1, Rect, L"CAPTION   left top width height of the window, in pixels"},
    {L"tray-icon", 1, 1, TrayIcon, L"CAPTION   \"present\" or \"absent\" (Vantorel's icon)"},
    {L"tray-message", 2, 2, TrayMessage,
     L"CAPTION MOUSE_MESSAGE   as the tray icon reports it (514 = left button up)"},
    {L"tray-click", 1, 1, TrayClick,
     L"CAPTION   left click on the icon: \"icon-gone-first\" (exit 0) when the icon went while "
     L"its window was still there, else \"window-gone-first\" or \"icon-stayed\" (exit 1)"},
};

int Usage() {
    std::wstring text = L"usage: uidriver COMMAND ARGS...\n";
    for (const auto& command : kCommands) {
        text += L"  ";
        text += command.name;
        text += L' ';
        text += command.usage;
        text += L'\n';
    }
    text += L"CONTROL is a caption, #ID or @NAME (Vantorel's control names); exit 0 = done, 1 = "
            L"not found or timed out, 2 = usage.\n";
    Write(STD_ERROR_HANDLE, text);
    return kUsage;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        return Usage();
    }
    const std::wstring_view name = argv[1];
    const Args args(argv + 2, argv + argc);
    for (const auto& command : kCommands) {
        if (command.name == name) {
            if (args.size() < command.minArgs || args.size() > command.maxArgs) {
                return Usage();
            }
            return command.run(args);
        }
    }
    return Usage();
}
