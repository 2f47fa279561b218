#include "platform/ui/form.h"

#include <algorithm>
#include <utility>

namespace vtrl::ui {

Form::Form(std::wstring caption, int clientWidthTwips, int clientHeightTwips, FormStyle style)
    : caption_(std::move(caption)), width_(clientWidthTwips), height_(clientHeightTwips),
      style_(style) {}

void Form::SetCaption(std::wstring caption) {
    caption_ = std::move(caption);
    if (host_ != nullptr) {
        host_->ShowCaption(caption_);
    }
}

void Form::SetPosition(int leftTwips, int topTwips) {
    left_ = leftTwips;
    top_ = topTwips;
    if (host_ != nullptr) {
        host_->ShowPosition(left_, top_);
    }
}

void Form::Show() {
    visible_ = true;
    if (host_ != nullptr) {
        host_->ShowVisible(true);
    }
}

void Form::Hide() {
    visible_ = false;
    if (host_ != nullptr) {
        host_->ShowVisible(false);
    }
}

void Form::SetBackground(Colour colour) {
    background_ = colour;
    if (host_ != nullptr) {
        host_->ShowBackground(colour);
    }
}

void Form::MakeTopmost() {
    topmost_ = true;
    if (host_ != nullptr) {
        host_->MakeTopmost();
    }
}

void Form::Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    Form_QueryUnload();
    for (Timer* timer : timers_) {
        timer->SetEnabled(false);
    }
    visible_ = false;
    if (host_ != nullptr) {
        host_->Close();
    }
}

ScreenMetrics Form::Screen() const {
    return host_ != nullptr ? host_->Screen() : headlessScreen_;
}

void Form::RunAside(std::function<void()> work, std::function<void()> done) {
    if (host_ != nullptr) {
        host_->RunAside(std::move(work), std::move(done));
        return;
    }
    work();
    done();
}

void Form::Pause(int milliseconds) {
    if (host_ != nullptr) {
        host_->Pause(milliseconds);
    }
}

void Form::BeginDrag() {
    if (host_ != nullptr) {
        host_->BeginDrag();
    }
}

bool Form::AddTrayIcon(const std::wstring& tip) {
    return host_ != nullptr && host_->AddTrayIcon(tip);
}

void Form::RemoveTrayIcon() {
    if (host_ != nullptr) {
        host_->RemoveTrayIcon();
    }
}

Control& Form::AddControl(std::unique_ptr<Control> control) {
    Control& added = *control;
    owned_.push_back(std::move(control));
    Add(added);
    if (host_ != nullptr) {
        host_->AttachControl(added);
    }
    return added;
}

void Form::RemoveControl(Control& control) {
    if (host_ != nullptr) {
        host_->DetachControl(control);
    }
    control.Attach(nullptr);
    std::erase(controls_, &control);
    std::erase_if(owned_, [&control](const auto& owned) { return owned.get() == &control; });
}

void Form::AttachHost(FormHost* host) {
    host_ = host;
}

void Form::Add(Control& control) {
    controls_.push_back(&control);
    if (control.Kind() == ControlKind::OptionButton) {
        control.onOptionSet = [this](Control& set) { ClearOptionGroup(set); };
    }
}

void Form::Add(Timer& timer) {
    timers_.push_back(&timer);
    timer.onStateChanged = [this](Timer& changed) {
        if (host_ != nullptr) {
            host_->TimerChanged(changed);
        }
    };
}

void Form::ClearOptionGroup(Control& setOption) {
    for (Control* control : controls_) {
        if (control != &setOption && control->Kind() == ControlKind::OptionButton &&
            control->Group() == setOption.Group() && control->Parent() == setOption.Parent() &&
            control->Value() != 0) {
            control->SetValue(0);
        }
    }
}

int TwipsToPixels(int twips, int dpi) {
    // Rounded like MulDiv, halves away from zero.
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                        : -((-scaled + half) / kTwipsPerInch));
}

int PixelsToTwips(int pixels, int dpi) {
    if (dpi <= 0) {
        return 0;
    }
    const long long scaled = static_cast<long long>(pixels) * kTwipsPerInch;
    const long long half = dpi / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / dpi : -((-scaled + half) / dpi));
}

} // namespace vtrl::ui
