#include "platform/ui/access_keys.h"

#include <algorithm>
#include <cwctype>
#include <set>

namespace vtrl::ui {
namespace {

wchar_t Folded(wchar_t letter) {
    return static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(letter)));
}

bool Usable(wchar_t letter) {
    return letter != L'&' && std::iswalnum(static_cast<std::wint_t>(letter)) != 0;
}

} // namespace

void AssignAccessKeys(const std::vector<Control*>& controls) {
    std::set<wchar_t> used;
    for (Control* control : controls) {
        const std::wstring& caption = control->Caption();
        wchar_t chosen = 0;
        // Word beginnings first, then any letter of the caption.
        for (int pass = 0; pass < 2 && chosen == 0; ++pass) {
            for (std::size_t i = 0; i < caption.size(); ++i) {
                const bool wordStart = i == 0 || !Usable(caption[i - 1]);
                if (Usable(caption[i]) && (pass == 1 || wordStart) &&
                    !used.contains(Folded(caption[i]))) {
                    chosen = Folded(caption[i]);
                    break;
                }
            }
        }
        if (chosen != 0) {
            used.insert(chosen);
        }
        control->SetAccessKey(chosen);
    }
}

std::wstring TextWithAccessKey(const std::wstring& caption, wchar_t accessKey) {
    // The mark goes where AssignAccessKeys found the letter: a word's start when there is one.
    std::size_t at = std::wstring::npos;
    for (std::size_t i = 0; i < caption.size() && accessKey != 0; ++i) {
        if (Folded(caption[i]) != Folded(accessKey)) {
            continue;
        }
        if (i == 0 || !Usable(caption[i - 1])) {
            at = i;
            break;
        }
        at = std::min(at, i);
    }
    std::wstring text;
    text.reserve(caption.size() + 2);
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (i == at) {
            text += L'&';
        }
        text += caption[i] == L'&' ? L"&&" : std::wstring(1, caption[i]);
    }
    return text;
}

} // namespace vtrl::ui
