#include "inventory/launcher_names.h"

#include <algorithm>
#include <cwctype>

namespace vtrl::inventory {

namespace {

constexpr std::wstring_view kLaunchers[] = {L"rundll32", L"wscript",    L"cscript", L"mshta",
                                            L"cmd",      L"powershell", L"pwsh",    L"regsvr32"};

bool SameLetters(std::wstring_view one, std::wstring_view other) {
    return one.size() == other.size() &&
           std::equal(one.begin(), one.end(), other.begin(), [](wchar_t a, wchar_t b) {
               return std::towlower(static_cast<wint_t>(a)) ==
                      std::towlower(static_cast<wint_t>(b));
           });
}

} // namespace

bool IsLauncherName(std::wstring_view fileName) {
    constexpr std::wstring_view kExe = L".exe";
    if (fileName.size() > kExe.size() && SameLetters(fileName.substr(fileName.size() - 4), kExe)) {
        fileName.remove_suffix(kExe.size());
    }
    return std::any_of(std::begin(kLaunchers), std::end(kLaunchers),
                       [fileName](std::wstring_view name) { return SameLetters(name, fileName); });
}

} // namespace vtrl::inventory
