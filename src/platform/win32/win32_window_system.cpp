#include "platform/win32/win32_window_system.h"

#include "platform/win32/win32_file_dialog.h"
#include "platform/win32/win32_form_host.h"

#include <algorithm>

namespace vtrl::win32 {

namespace {

bool RegisterWindowClasses() {
    static const bool registered = [] {
        WNDCLASSEXW form{};
        form.cbSize = sizeof(form);
        form.lpfnWndProc = &Win32FormHost::WindowProc;
        form.hInstance = GetModuleHandleW(nullptr);
        form.hIcon = LoadIconW(form.hInstance, MAKEINTRESOURCEW(1));
        form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        form.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        form.lpszClassName = kFormClass;
        WNDCLASSEXW panel = form;
        panel.lpfnWndProc = &Win32Control::WindowProc;
        panel.hIcon = nullptr;
        panel.hbrBackground = nullptr;
        panel.lpszClassName = kPanelClass;
        return RegisterClassExW(&form) != 0 && RegisterClassExW(&panel) != 0;
    }();
    return registered;
}

} // namespace

Win32WindowSystem::Win32WindowSystem() = default;

Win32WindowSystem::~Win32WindowSystem() {
    // Hosts first: their windows refer to the forms.
    for (auto& entry : entries_) {
        entry.host.reset();
    }
}

ui::Form& Win32WindowSystem::Load(std::unique_ptr<ui::Form> form) {
    ui::Form& loaded = *form;
    entries_.push_back({std::move(form), nullptr, false});
    Entry& entry = entries_.back();
    if (RegisterWindowClasses()) {
        entry.host = std::make_unique<Win32FormHost>(*this, loaded);
        // Its work aside needs no window: it runs while the window is made.
        loaded.Form_Initialize(*entry.host);
        if (!entry.host->Create()) {
            entry.host.reset();
        }
    }
    if (!entry.host) {
        // Without a window the form can neither be seen nor receive events.
        entry.destroyed = true;
        work_.Forget(&loaded);
        loaded.Unload();
        return loaded;
    }
    loaded.Form_Load();
    return loaded;
}

void Win32WindowSystem::FormDestroyed(const ui::Form& form) {
    for (auto& entry : entries_) {
        if (entry.form.get() == &form) {
            entry.destroyed = true;
        }
    }
    work_.Forget(&form);
}

bool Win32WindowSystem::AnyFormOpen() const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const Entry& entry) { return !entry.destroyed; });
}

void Win32WindowSystem::Reap() {
    std::erase_if(entries_, [this](Entry& entry) {
        // Work still running aside may refer to the form.
        if (!entry.destroyed || work_.Holds(entry.form.get())) {
            return false;
        }
        entry.host.reset();
        return true;
    });
}

std::optional<std::wstring> Win32WindowSystem::ChooseOpenFile(const ui::Form* owner,
                                                              const ui::OpenFileRequest& request) {
    HWND ownerWindow = nullptr;
    for (const auto& entry : entries_) {
        if (entry.form.get() == owner && entry.host && !entry.destroyed) {
            ownerWindow = entry.host->Handle();
        }
    }
    return ShowOpenFileDialog(ownerWindow, request);
}

void Win32WindowSystem::RunMessageLoop() {
    loop_.Run([this] { return AnyFormOpen(); }, [this] { Reap(); });
}

void Win32WindowSystem::RunMessageLoopUntil(const std::function<bool()>& reached) {
    loop_.Run([this, &reached] { return AnyFormOpen() && !reached(); }, [this] { Reap(); });
}

} // namespace vtrl::win32
