#pragma once
// One control's native window, mirroring the control's state: the child window of a standard
// class, or, for containers (pictures and frames), a window of our own class that paints its
// colour and picture.

#include "platform/ui/form.h"
#include "platform/win32/base_window.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_list_accessible.h"
#include "platform/win32/win32_window_basics.h"

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace vtrl::win32 {

class Win32FormHost;

// One control's native window. Containers (pictures and frames) are windows of our own class
// that paint their colour and picture and pass their children's notifications to the form.
class Win32Control final : public ui::NativeControl, public BaseWindow<Win32Control> {
public:
    Win32Control(Win32FormHost& host, ui::Control& control) : host_(host), control_(control) {}
    ~Win32Control() override {
        if (window_ != nullptr && IsWindow(window_)) {
            RemovePropW(window_, kControlNameProperty);
        }
        DestroyOwned();
    }

    bool Create(HWND parent, int dpi);
    // Hands the model its native window, which then shows the model's whole state. The window
    // was made with the model's text, place, visibility and enabled state, so the mirror only
    // adds what creation could not (font, colours, value, tooltip).
    void AttachModel() {
        attaching_ = true;
        control_.Attach(this);
        attaching_ = false;
    }
    ui::Control& Model() { return control_; }
    bool IsContainer() const {
        return control_.Kind() == ui::ControlKind::Picture ||
               control_.Kind() == ui::ControlKind::Frame;
    }
    void ApplyDpi(int dpi) {
        dpi_ = dpi;
        ShowFont(control_.GetFont());
        ShowRect(control_.Rect());
    }
    HBRUSH BackgroundBrush() const { return background_.get(); }
    void PaintContainer();

    void ShowText(const std::wstring& text) override;
    void ShowVisible(bool visible) override;
    void ShowEnabled(bool enabled) override {
        if (!attaching_) {
            EnableWindow(window_, enabled ? TRUE : FALSE);
        }
    }
    void ShowValue(int value) override;
    void ShowRect(const ui::TwipsRect& rect) override {
        if (attaching_) {
            return;
        }
        MoveWindow(window_, ui::TwipsToPixels(rect.left, dpi_), ui::TwipsToPixels(rect.top, dpi_),
                   ui::TwipsToPixels(rect.width, dpi_), ui::TwipsToPixels(rect.height, dpi_), TRUE);
    }
    void ShowFont(const ui::Font& font) override;
    void ShowColours(ui::Colour, ui::Colour background) override {
        background_.reset(
            background == ui::kDefaultColour ? nullptr : CreateSolidBrush(ToColorRef(background)));
        Redraw();
    }
    void ShowItems(const std::vector<std::wstring>& items) override {
        SendMessageW(window_, LB_RESETCONTENT, 0, 0);
        for (const auto& item : items) {
            SendMessageW(window_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        }
    }
    void ShowPicture(const std::vector<std::uint8_t>&) override { Redraw(); }
    void ShowRange(int minimum, int maximum) override {
        SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_DISABLENOSCROLL, minimum, maximum, 0, 0, 0};
        SetScrollInfo(window_, SB_CTL, &info, TRUE);
    }
    void TakeFocus() override { SetFocus(window_); }
    void ShowToolTip(const std::wstring& text) override;
    // Only our drawn containers answer WM_GETOBJECT themselves.
    void ShowAccessibleList(const ui::AccessibleList& list) override {
        if (IsContainer()) {
            accessibility_.Show(window_, list);
        }
    }
    // The tooltip window; null until the pointer came over a control with a tooltip text.
    HWND ToolTipWindow() const { return toolTip_.get(); }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

private:
    // A label that is a tab stop behaves as a link: the dialog keyboard handling treats it as a
    // button (its access key clicks it), and it draws a focus rectangle while it has the focus.
    static LRESULT CALLBACK LinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self) noexcept;
    LRESULT HandleLinkMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    // Until the pointer first comes over a control with a tooltip text (ShowToolTip).
    static LRESULT CALLBACK PointerWaitProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR self) noexcept;
    static constexpr UINT_PTR kPointerWaitId = 1;
    void MakeToolTip();
    TTTOOLINFOW ToolInfo(const std::wstring& text) const;
    bool KeyDown(WPARAM virtualKey) noexcept;
    // The caption as the window shows it (with its access key marked).
    std::wstring WindowCaption() const;
    // Paints the window again; a window being made paints with its first paint anyway.
    void Redraw() {
        if (!attaching_) {
            InvalidateRect(window_, nullptr, TRUE);
        }
    }
    void FocusChanged(bool focused) noexcept;

    friend class BaseWindow<Win32Control>;
    Win32FormHost& host_;
    ui::Control& control_;
    int dpi_ = kDefaultDpi;
    // Deleted after the window, which names the control by it until then.
    unique_global_atom nameAtom_;
    HFONT font_ = nullptr; // the form's, shared by every control with the same font
    unique_brush background_;
    unique_window toolTip_;
    ListAccessibility accessibility_;
    // True while the model shows its state in a window just made (AttachModel).
    bool attaching_ = false;
    bool waitingForPointer_ = false;
};

} // namespace vtrl::win32
