#include "inventory/value_list.h"

#include <algorithm>

namespace vtrl::inventory {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool IsSeparator(ListSyntax syntax, wchar_t c) {
    switch (syntax) {
    case ListSyntax::Commas:
        return c == L',';
    case ListSyntax::BlanksOrCommas:
        return c == L',' || IsBlank(c);
    case ListSyntax::Strings:
        return c == kStringEnd;
    }
    return false;
}

// The item's span less the blanks around it (strings of a REG_MULTI_SZ keep theirs).
ListItem Trimmed(const std::wstring& text, std::size_t begin, std::size_t end, ListSyntax syntax) {
    if (syntax != ListSyntax::Strings) {
        while (begin < end && IsBlank(text[begin])) {
            ++begin;
        }
        while (end > begin && IsBlank(text[end - 1])) {
            --end;
        }
    }
    return {text.substr(begin, end - begin), begin, end};
}

} // namespace

std::vector<ListItem> ListItems(const std::wstring& text, ListSyntax syntax) {
    std::vector<ListItem> items;
    std::size_t at = 0;
    while (at < text.size()) {
        if (syntax == ListSyntax::Strings && text[at] == kStringEnd) {
            break; // an empty string ends the list
        }
        std::size_t end = at;
        bool quoted = false;
        while (end < text.size() && (quoted || !IsSeparator(syntax, text[end]))) {
            if (syntax == ListSyntax::BlanksOrCommas && text[end] == L'"') {
                quoted = !quoted;
            }
            ++end;
        }
        ListItem item = Trimmed(text, at, end, syntax);
        if (!item.text.empty()) {
            items.push_back(std::move(item));
        }
        at = end + 1;
    }
    return items;
}

std::wstring ItemKey(const std::wstring& item) {
    std::wstring key;
    for (const wchar_t c : item) {
        if (c == L'"') {
            continue;
        }
        if (IsBlank(c)) {
            if (!key.empty() && key.back() != L' ') {
                key.push_back(L' ');
            }
            continue;
        }
        key.push_back(c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c);
    }
    if (!key.empty() && key.back() == L' ') {
        key.pop_back();
    }
    return key;
}

std::wstring WithoutItem(const std::wstring& text, ListSyntax syntax, const std::wstring& item) {
    const std::wstring wanted = ItemKey(item);
    std::wstring rest = text;
    // From the last item back, so that the spans of the earlier ones stay valid.
    const std::vector<ListItem> items = ListItems(text, syntax);
    for (std::size_t index = items.size(); index-- > 0;) {
        if (ItemKey(items[index].text) != wanted) {
            continue;
        }
        std::size_t begin = items[index].begin;
        std::size_t end = items[index].end;
        if (syntax == ListSyntax::Strings) {
            end = std::min(end + 1, rest.size()); // its own NUL
        } else {
            std::size_t after = end;
            while (after < rest.size() &&
                   (IsSeparator(syntax, rest[after]) || IsBlank(rest[after]))) {
                ++after;
            }
            const bool endsInSeparator =
                std::any_of(rest.begin() + static_cast<std::ptrdiff_t>(end),
                            rest.begin() + static_cast<std::ptrdiff_t>(after),
                            [](wchar_t c) { return c == L','; });
            if (after < rest.size() || index == 0 || endsInSeparator) {
                end = after; // up to the next item, or with the list's closing separator
            } else {
                // The last of several: the separator before it goes with it.
                while (begin > 0 &&
                       (IsSeparator(syntax, rest[begin - 1]) || IsBlank(rest[begin - 1]))) {
                    --begin;
                }
                end = after;
            }
        }
        rest.erase(begin, end - begin);
    }
    return rest;
}

std::wstring WithItem(const std::wstring& text, ListSyntax syntax, const std::wstring& item) {
    const std::vector<ListItem> items = ListItems(text, syntax);
    const std::wstring wanted = ItemKey(item);
    for (const ListItem& present : items) {
        if (ItemKey(present.text) == wanted) {
            return text;
        }
    }
    if (syntax == ListSyntax::Strings) {
        // After the last string, before the empty one that ends the list.
        const std::size_t end = items.empty() ? 0 : items.back().end + 1;
        std::wstring added = text.substr(0, std::min(end, text.size()));
        added.resize(end, kStringEnd);
        return added + item + kStringEnd + kStringEnd;
    }
    if (items.empty()) {
        return item;
    }
    const wchar_t separator = syntax == ListSyntax::Commas ? L',' : L' ';
    std::wstring added = text;
    // A list that ends in a separator ("userinit.exe,") keeps that form: the item goes after it
    // and gets its own.
    if (!added.empty() && IsSeparator(syntax, added.back())) {
        return added + item + separator;
    }
    return added + separator + item;
}

bool IsOwnItem(const std::wstring& item, const std::vector<std::wstring>& own) {
    const std::wstring key = ItemKey(item);
    return std::find(own.begin(), own.end(), key) != own.end();
}

bool IsOwnCommand(const std::wstring& item, const std::wstring& command) {
    const std::wstring key = ItemKey(item);
    return key == command || key.starts_with(command + L" ");
}

std::wstring WithStringsEnd(std::wstring text) {
    const std::vector<ListItem> items = ListItems(text, ListSyntax::Strings);
    // Past the last string's NUL; the list's own end follows there.
    const std::size_t end = items.empty() ? 0 : items.back().end + 1;
    if (text.size() < end) {
        text.resize(end, kStringEnd);
    }
    if (text.size() == end) {
        text.push_back(kStringEnd);
    }
    return text;
}

} // namespace vtrl::inventory
