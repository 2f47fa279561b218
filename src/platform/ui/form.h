#pragma once
// A window's logic without the window: its caption, position and size in twips, its controls and
// timers, and the events the window system delivers. The native window behind it is a FormHost;
// without one (unit tests) every request is only recorded in the form's own state.

#include "platform/ui/control.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vtrl::ui {

inline constexpr int kTwipsPerInch = 1440;

// The primary screen in twips, and how many twips one pixel covers (15 at 96 DPI).
struct ScreenMetrics {
    int widthTwips = 1024 * 15;
    int heightTwips = 768 * 15;
    int twipsPerPixel = 15;
};

enum class FormStyle {
    Borderless, // no frame or title bar; dragged by its free area
    Hidden,     // never meant to be seen: no taskbar button
    Dialog,     // a title bar with a close box
};

// Runs work on a worker thread while the window goes on handling events; done runs on the
// window's thread once work has ended, unless the form is gone by then. A form whose window is
// gone stays in memory until its work has ended.
class AsideWork {
public:
    virtual ~AsideWork() = default;
    virtual void RunAside(std::function<void()> work, std::function<void()> done) = 0;
};

// What a form asks of its native window.
class FormHost : public AsideWork {
public:
    virtual void ShowCaption(const std::wstring& caption) = 0;
    virtual void ShowPosition(int leftTwips, int topTwips) = 0;
    virtual void ShowVisible(bool visible) = 0;
    virtual void MakeTopmost() = 0;
    virtual void TimerChanged(Timer& timer) = 0;
    virtual void AttachControl(Control& control) = 0;
    virtual void DetachControl(Control& control) = 0;
    virtual void ShowBackground(Colour colour) = 0;
    // Destroys the native window; the form is dropped once the current event is handled.
    virtual void Close() = 0;
    virtual void Pause(int milliseconds) = 0;
    // Lets the user move the window as if the press had been on a title bar.
    virtual void BeginDrag() = 0;
    virtual ScreenMetrics Screen() = 0;
    virtual bool AddTrayIcon(const std::wstring& tip) = 0;
    virtual void RemoveTrayIcon() = 0;
};

class Form {
public:
    Form(std::wstring caption, int clientWidthTwips, int clientHeightTwips, FormStyle style);
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form() = default;

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(std::wstring caption);
    int Left() const { return left_; }
    int Top() const { return top_; }
    void SetPosition(int leftTwips, int topTwips);
    void SetLeft(int leftTwips) { SetPosition(leftTwips, top_); }
    void SetTop(int topTwips) { SetPosition(left_, topTwips); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    FormStyle Style() const { return style_; }
    bool Visible() const { return visible_; }
    void Show();
    void Hide();
    Colour Background() const { return background_; }
    // Controls inside a hidden container get their windows when the container is first shown,
    // not with the form: a window of many pages opens at the cost of the page it shows.
    void SetLateHiddenContent(bool late) { lateHiddenContent_ = late; }
    bool LateHiddenContent() const { return lateHiddenContent_; }
    void SetBackground(Colour colour);
    bool Topmost() const { return topmost_; }
    void MakeTopmost();

    // Unloads the form: its query-unload handler runs, its timers stop and its window closes.
    // A second call does nothing.
    void Unload();
    bool Unloaded() const { return unloaded_; }

    ScreenMetrics Screen() const;
    // Runs work on a worker thread and then done on the form's thread (see FormHost::RunAside);
    // without a host both run here, one after the other.
    void RunAside(std::function<void()> work, std::function<void()> done);
    void Pause(int milliseconds);
    void BeginDrag();
    bool AddTrayIcon(const std::wstring& tip);
    void RemoveTrayIcon();

    const std::vector<Control*>& Controls() const { return controls_; }
    const std::vector<Timer*>& Timers() const { return timers_; }
    // Controls made at run time (rows of a list); the form owns them.
    Control& AddControl(std::unique_ptr<Control> control);
    void RemoveControl(Control& control);

    // Events.
    // Before the form has its window: work that needs none (a scan) may start aside here and
    // run while the window and its controls are made.
    virtual void Form_Initialize(AsideWork& aside) { (void)aside; }
    virtual void Form_Load() {}
    virtual void Form_QueryUnload() {}
    virtual void Form_MouseDown() {}
    // The tray icon's callback, with the mouse message it reports (WM_LBUTTONUP, ...).
    virtual void Form_TrayMessage(unsigned mouseMessage) { (void)mouseMessage; }
    // Enter that no focused control took (the default button's turn), and Escape.
    virtual void Form_Enter() {}
    virtual void Form_Escape() {}
    // The mouse wheel turned over the window by whole notches, positive towards the user (down
    // a list), each notch worth the user's setting of rows; 0 rows a notch means a page.
    virtual void Form_MouseWheel(int notches, int rowsPerNotch) {
        (void)notches;
        (void)rowsPerNotch;
    }

    // The window system's side.
    void AttachHost(FormHost* host);
    FormHost* Host() const { return host_; }
    // The user moved the window (dragged it): the position changes without being echoed.
    void UserSetPosition(int leftTwips, int topTwips) {
        left_ = leftTwips;
        top_ = topTwips;
    }
    // Headless screen for unit tests.
    void SetHeadlessScreen(const ScreenMetrics& screen) { headlessScreen_ = screen; }

protected:
    void Add(Control& control);
    void Add(Timer& timer);

private:
    void ClearOptionGroup(Control& setOption);

    std::wstring caption_;
    int left_ = 0;
    int top_ = 0;
    int width_;
    int height_;
    FormStyle style_;
    bool visible_ = false;
    bool topmost_ = false;
    bool lateHiddenContent_ = false;
    Colour background_ = kDefaultColour;
    bool unloaded_ = false;
    std::vector<Control*> controls_;
    std::vector<Timer*> timers_;
    std::vector<std::unique_ptr<Control>> owned_;
    FormHost* host_ = nullptr;
    ScreenMetrics headlessScreen_;
};

// Converts between twips and the pixels of a screen with the given dots per inch.
int TwipsToPixels(int twips, int dpi);
int PixelsToTwips(int pixels, int dpi);

} // namespace vtrl::ui
