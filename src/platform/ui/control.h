#pragma once
// Controls as plain objects: each holds its own state (caption, visibility, value, position in
// twips) and mirrors every change to a native control when one is attached. A window's logic so
// runs headless in unit tests and drives real controls under Windows through the same calls.

#include <cstdint>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vtrl::ui {

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

enum class ControlKind {
    Label,        // static text; clickable
    Button,       // push button
    CheckBox,     // value 0 or 1
    OptionButton, // value 0 or 1, one set per group
    TextBox,      // editable text
    ListBox,      // items, one selected index (-1 for none)
    Picture,      // shows a bitmap; may contain other controls
    Frame,        // a plain container for other controls
    VScrollBar,   // value between minimum and maximum
};

// The keys a focused control may handle itself (a drawn list moving its selection, Enter opening
// what it selected).
enum class Key { Up, Down, PageUp, PageDown, Home, End, Enter };

// 0x00BBGGRR, as Windows keeps colours; kDefaultColour leaves the system's colour.
using Colour = std::uint32_t;
inline constexpr Colour kDefaultColour = 0xFFFFFFFF;

struct Font {
    std::wstring name = L"Tahoma";
    double points = 8.25;
    bool bold = false;
    bool underline = false;
    int charset = 1; // DEFAULT_CHARSET; language files may ask for another
    friend bool operator==(const Font&, const Font&) = default;
};

// A drawn list as screen readers get it: each row's spoken text in the order shown, and where
// the selected row is among them.
struct AccessibleList {
    std::vector<std::wstring> rows;
    std::optional<std::size_t> selected; // none when nothing is selected
    friend bool operator==(const AccessibleList&, const AccessibleList&) = default;
};

// What a native control must mirror; the window system implements it.
class NativeControl {
public:
    virtual ~NativeControl() = default;
    virtual void ShowText(const std::wstring& text) = 0;
    virtual void ShowVisible(bool visible) = 0;
    virtual void ShowEnabled(bool enabled) = 0;
    virtual void ShowValue(int value) = 0;
    virtual void ShowRect(const TwipsRect& rect) = 0;
    virtual void ShowFont(const Font& font) = 0;
    virtual void ShowColours(Colour foreground, Colour background) = 0;
    virtual void ShowItems(const std::vector<std::wstring>& items) = 0;
    virtual void ShowPicture(const std::vector<std::uint8_t>& bitmapFile) = 0;
    virtual void ShowRange(int minimum, int maximum) = 0;
    virtual void TakeFocus() = 0;
    virtual void ShowToolTip(const std::wstring& text) = 0;
    virtual void ShowAccessibleList(const AccessibleList& list) = 0;
};

class Control {
public:
    Control(ControlKind kind, std::wstring name, TwipsRect rect, std::wstring caption = {});
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    ControlKind Kind() const { return kind_; }
    const std::wstring& Name() const { return name_; }

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(std::wstring caption);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // Check boxes and option buttons: 0 or 1; scroll bars: the position.
    int Value() const { return value_; }
    void SetValue(int value);

    const TwipsRect& Rect() const { return rect_; }
    void Move(const TwipsRect& rect);
    void SetTop(int top);
    void SetLeft(int left);

    const Font& GetFont() const { return font_; }
    void SetFont(Font font);
    Colour Foreground() const { return foreground_; }
    Colour Background() const { return background_; }
    void SetColours(Colour foreground, Colour background);
    bool HandCursor() const { return handCursor_; }
    void SetHandCursor(bool hand) { handCursor_ = hand; }

    // Option buttons with the same group number in the same window exclude one another.
    int Group() const { return group_; }
    void SetGroup(int group) { group_ = group; }

    // The container this control lies in (a Picture or Frame); null for the window itself.
    Control* Parent() const { return parent_; }
    void SetParent(Control* parent) { parent_ = parent; }

    // List boxes.
    const std::vector<std::wstring>& Items() const { return items_; }
    void SetItems(std::vector<std::wstring> items);
    void AddItem(std::wstring item);
    void Clear();
    int ListIndex() const { return value_; } // -1 for none
    void SetListIndex(int index);

    // Pictures: the bytes of a Windows bitmap file, empty for none.
    const std::vector<std::uint8_t>& Picture() const { return picture_; }
    void SetPicture(std::vector<std::uint8_t> bitmapFile);
    // Pictures: drawn to fill the control instead of at the bitmap's own size.
    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch);

    // The text shown while the mouse rests on the control; empty for none.
    const std::wstring& ToolTip() const { return toolTip_; }
    void SetToolTip(std::wstring text);

    // Pictures that draw a list: its rows and selection as screen readers get them (a position
    // past the rows selects none); nullopt for a control that is no list. Setting what is
    // already set tells the native control nothing, so that a reader does not repeat itself.
    const std::optional<AccessibleList>& AccessibleRows() const { return accessibleList_; }
    void SetAccessibleList(std::vector<std::wstring> rows, std::optional<std::size_t> selected);

    // Text boxes: for reading and selecting only, and over several lines with a vertical
    // scroll bar. A native control takes both when it is made: set them before it is attached.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool multiLine) { multiLine_ = multiLine; }

    // Scroll bars.
    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }
    void SetRange(int minimum, int maximum);

    // Tab and Shift+Tab stop at buttons, boxes, options, text and list boxes; a label that acts
    // as a link or a container that draws a list stops there only when asked to.
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop) { tabStop_ = tabStop; }
    void SetFocus();
    bool HasFocus() const { return focused_; }
    // The letter that, with Alt, presses the control (see access_keys.h); 0 for none.
    wchar_t AccessKey() const { return accessKey_; }
    void SetAccessKey(wchar_t key);

    // What the window does when the user acts on the control.
    std::function<void()> onClick;  // buttons, labels, pictures, boxes, options, list clicks
    std::function<void()> onChange; // text typed, scroll moved, list selection changed
    std::function<void()> onDoubleClick;
    std::function<void()> onMouseDown; // containers: a press on their free area
    // Containers with the focus: a key pressed; true when the control handled it.
    std::function<bool(Key)> onKey;
    std::function<void()> onFocusChange; // HasFocus() says whether it came or went
    // Runs onClick for an enabled control, as a user's click would; a check box first toggles
    // and an option button first becomes the set one (the window fixes the rest of its group).
    void Click();

    // The window system's side: attach a native control, and report what the user changed
    // there without echoing it back.
    void Attach(NativeControl* native);
    NativeControl* Native() const { return native_; }
    void UserSetCaption(std::wstring caption);
    void UserSetValue(int value);
    void UserSetFocus(bool focused);

    // Set by the owning window so that an option button set by code clears its group.
    std::function<void(Control&)> onOptionSet;

private:
    void MirrorAll();

    ControlKind kind_;
    std::wstring name_;
    TwipsRect rect_;
    std::wstring caption_;
    bool visible_ = true;
    bool enabled_ = true;
    int value_ = 0;
    Font font_;
    Colour foreground_ = kDefaultColour;
    Colour background_ = kDefaultColour;
    bool handCursor_ = false;
    bool tabStop_ = false;
    bool focused_ = false;
    wchar_t accessKey_ = 0;
    int group_ = 0;
    Control* parent_ = nullptr;
    std::vector<std::wstring> items_;
    std::vector<std::uint8_t> picture_;
    bool stretch_ = false;
    std::wstring toolTip_;
    std::optional<AccessibleList> accessibleList_;
    bool readOnly_ = false;
    bool multiLine_ = false;
    int minimum_ = 0;
    int maximum_ = 0;
    NativeControl* native_ = nullptr;
};

// A timer of a window: an interval in milliseconds, switched on and off by the window's logic.
class Timer {
public:
    Timer(std::wstring name, int intervalMs, bool enabled)
        : name_(std::move(name)), interval_(intervalMs), enabled_(enabled) {}
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    const std::wstring& Name() const { return name_; }
    int Interval() const { return interval_; }
    void SetInterval(int intervalMs);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    std::function<void()> onTick;
    // The window system starts or stops the real timer here.
    std::function<void(Timer&)> onStateChanged;

private:
    std::wstring name_;
    int interval_;
    bool enabled_;
};

} // namespace vtrl::ui
