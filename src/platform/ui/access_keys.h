#pragma once
// Access keys: each control that can be pressed gets a letter of its caption, Alt and that
// letter pressing it, shown underlined; the caption itself stays as it is.

#include "platform/ui/control.h"

#include <string>
#include <vector>

namespace vtrl::ui {

// Gives the controls, in order, the first free letter or digit that begins a word of their
// caption, else any free one of it; a control left without one gets none (0). Case is ignored.
void AssignAccessKeys(const std::vector<Control*>& controls);

// The caption as a native control shows it: "&" before the first occurrence of the access key,
// any "&" of the caption itself doubled so that it shows as it is.
std::wstring TextWithAccessKey(const std::wstring& caption, wchar_t accessKey);

} // namespace vtrl::ui
