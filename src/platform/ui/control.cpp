#include "platform/ui/control.h"

#include <algorithm>

namespace vtrl::ui {

Control::Control(ControlKind kind, std::wstring name, TwipsRect rect, std::wstring caption)
    : kind_(kind), name_(std::move(name)), rect_(rect), caption_(std::move(caption)) {
    if (kind_ == ControlKind::ListBox) {
        value_ = -1;
    }
}

void Control::SetCaption(std::wstring caption) {
    caption_ = std::move(caption);
    if (native_ != nullptr) {
        native_->ShowText(caption_);
    }
}

void Control::SetVisible(bool visible) {
    visible_ = visible;
    if (native_ != nullptr) {
        native_->ShowVisible(visible_);
    }
}

void Control::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (native_ != nullptr) {
        native_->ShowEnabled(enabled_);
    }
}

void Control::SetValue(int value) {
    if (kind_ == ControlKind::VScrollBar) {
        value = std::clamp(value, minimum_, std::max(minimum_, maximum_));
    } else if (kind_ == ControlKind::CheckBox || kind_ == ControlKind::OptionButton) {
        value = value != 0 ? 1 : 0;
    }
    const bool changed = value != value_;
    value_ = value;
    if (native_ != nullptr) {
        native_->ShowValue(value_);
    }
    if (kind_ == ControlKind::OptionButton && value_ == 1 && onOptionSet) {
        onOptionSet(*this);
    }
    if (changed && kind_ == ControlKind::VScrollBar && onChange) {
        onChange();
    }
}

void Control::Move(const TwipsRect& rect) {
    rect_ = rect;
    if (native_ != nullptr) {
        native_->ShowRect(rect_);
    }
}

void Control::SetTop(int top) {
    Move({rect_.left, top, rect_.width, rect_.height});
}

void Control::SetLeft(int left) {
    Move({left, rect_.top, rect_.width, rect_.height});
}

void Control::SetFont(Font font) {
    font_ = std::move(font);
    if (native_ != nullptr) {
        native_->ShowFont(font_);
    }
}

void Control::SetColours(Colour foreground, Colour background) {
    foreground_ = foreground;
    background_ = background;
    if (native_ != nullptr) {
        native_->ShowColours(foreground_, background_);
    }
}

void Control::SetItems(std::vector<std::wstring> items) {
    items_ = std::move(items);
    value_ = -1;
    if (native_ != nullptr) {
        native_->ShowItems(items_);
    }
}

void Control::AddItem(std::wstring item) {
    auto items = items_;
    const int index = value_;
    items.push_back(std::move(item));
    SetItems(std::move(items));
    if (index >= 0) {
        SetListIndex(index);
    }
}

void Control::Clear() {
    SetItems({});
}

void Control::SetListIndex(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size())) {
        index = -1;
    }
    const bool changed = index != value_;
    value_ = index;
    if (native_ != nullptr) {
        native_->ShowValue(value_);
    }
    if (changed && onChange) {
        onChange();
    }
}

void Control::SetPicture(std::vector<std::uint8_t> bitmapFile) {
    picture_ = std::move(bitmapFile);
    if (native_ != nullptr) {
        native_->ShowPicture(picture_);
    }
}

void Control::SetStretch(bool stretch) {
    stretch_ = stretch;
    if (native_ != nullptr) {
        native_->ShowPicture(picture_);
    }
}

void Control::SetToolTip(std::wstring text) {
    toolTip_ = std::move(text);
    if (native_ != nullptr) {
        native_->ShowToolTip(toolTip_);
    }
}

void Control::SetAccessibleList(std::vector<std::wstring> rows,
                                std::optional<std::size_t> selected) {
    if (selected && *selected >= rows.size()) {
        selected.reset();
    }
    AccessibleList list{std::move(rows), selected};
    if (accessibleList_ == list) {
        return;
    }
    accessibleList_ = std::move(list);
    if (native_ != nullptr) {
        native_->ShowAccessibleList(*accessibleList_);
    }
}

void Control::SetRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    if (native_ != nullptr) {
        native_->ShowRange(minimum_, maximum_);
    }
    if (value_ < minimum_ || value_ > maximum_) {
        SetValue(std::clamp(value_, minimum_, maximum_));
    }
}

void Control::SetFocus() {
    if (native_ != nullptr) {
        // The native control reports the focus it got through UserSetFocus.
        native_->TakeFocus();
    } else {
        UserSetFocus(true);
    }
}

void Control::SetAccessKey(wchar_t key) {
    if (key == accessKey_) {
        return;
    }
    accessKey_ = key;
    if (native_ != nullptr) {
        native_->ShowText(caption_);
    }
}

void Control::UserSetFocus(bool focused) {
    if (focused == focused_) {
        return;
    }
    focused_ = focused;
    if (onFocusChange) {
        onFocusChange();
    }
}

void Control::Click() {
    if (!enabled_ || !visible_) {
        return;
    }
    if (kind_ == ControlKind::CheckBox) {
        SetValue(value_ == 0 ? 1 : 0);
    } else if (kind_ == ControlKind::OptionButton) {
        SetValue(1);
    }
    if (onClick) {
        onClick();
    }
}

void Control::Attach(NativeControl* native) {
    native_ = native;
    if (native_ != nullptr) {
        MirrorAll();
    }
}

void Control::MirrorAll() {
    native_->ShowFont(font_);
    native_->ShowColours(foreground_, background_);
    native_->ShowRect(rect_);
    if (kind_ == ControlKind::ListBox) {
        native_->ShowItems(items_);
    } else if (kind_ == ControlKind::VScrollBar) {
        native_->ShowRange(minimum_, maximum_);
    } else {
        native_->ShowText(caption_);
    }
    if (!picture_.empty()) {
        native_->ShowPicture(picture_);
    }
    if (!toolTip_.empty()) {
        native_->ShowToolTip(toolTip_);
    }
    if (accessibleList_) {
        native_->ShowAccessibleList(*accessibleList_);
    }
    native_->ShowValue(value_);
    native_->ShowEnabled(enabled_);
    native_->ShowVisible(visible_);
}

void Control::UserSetCaption(std::wstring caption) {
    caption_ = std::move(caption);
    if (onChange) {
        onChange();
    }
}

void Control::UserSetValue(int value) {
    if (kind_ == ControlKind::ListBox) {
        if (value != value_) {
            value_ = value;
            if (onChange) {
                onChange();
            }
        }
        return;
    }
    const bool changed = value != value_;
    value_ = value;
    if (kind_ == ControlKind::OptionButton && value_ == 1 && onOptionSet) {
        onOptionSet(*this);
    }
    if (changed && kind_ == ControlKind::VScrollBar && onChange) {
        onChange();
    }
}

void Timer::SetInterval(int intervalMs) {
    interval_ = intervalMs;
    if (onStateChanged) {
        onStateChanged(*this);
    }
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) {
        return;
    }
    enabled_ = enabled;
    if (onStateChanged) {
        onStateChanged(*this);
    }
}

} // namespace vtrl::ui
