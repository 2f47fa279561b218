#pragma once
// The colour of the manager window's links, the same on every page.

#include "platform/ui/control.h"

namespace vtrl::manager {

inline constexpr ui::Colour kLinkColour = 0x00C05A1E;

} // namespace vtrl::manager
