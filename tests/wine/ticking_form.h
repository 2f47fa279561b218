// A hidden form whose timer counts its ticks: while they go up, the one message loop is handling
// messages, whatever else the program waits for.
#pragma once

#include "platform/ui/form.h"

namespace vtrl::testing_support {

class TickingForm final : public ui::Form {
public:
    explicit TickingForm(int intervalMs)
        : ui::Form(L"Ticking", 600, 600, ui::FormStyle::Hidden),
          ticker_(L"Ticker", intervalMs, true) {
        ticker_.onTick = [this] { ++ticks; };
        Add(ticker_);
    }
    int ticks = 0;

private:
    ui::Timer ticker_;
};

} // namespace vtrl::testing_support
