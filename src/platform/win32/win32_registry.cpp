#include "platform/win32/win32_registry.h"

#include "platform/win32/unique_handle.h"

#include <algorithm>
#include <cstddef>

namespace vtrl::win32 {
namespace {

// A key whose enumeration never ends (or changes under us forever) must not hang the caller.
constexpr int kMaxEnumerationSteps = 250'000;
// Value names are at most 16,383 characters; one more for the NUL.
constexpr DWORD kMaxValueNameBuffer = 16'384;
// A value may grow between the size query and the read; retry a few times, not for ever.
constexpr int kMaxQueryAttempts = 8;

HKEY RootOf(platform::Hive hive) {
    return hive == platform::Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// Callers cut key paths so that they keep a trailing backslash; the key is the same without it,
// and RegDeleteKeyW is not documented to accept one.
std::wstring Normalised(const std::wstring& key) {
    std::wstring trimmed = key;
    while (!trimmed.empty() && trimmed.back() == L'\\') {
        trimmed.pop_back();
    }
    return trimmed;
}

unique_hkey OpenKey(platform::Hive hive, const std::wstring& key, REGSAM access) {
    unique_hkey handle;
    if (RegOpenKeyExW(RootOf(hive), Normalised(key).c_str(), 0, access, handle.put()) !=
        ERROR_SUCCESS) {
        // What a failed call leaves in the out-parameter is not documented: never close it.
        handle.release();
    }
    return handle;
}

// Reads a value's data through read(buffer, &size, &type), growing the buffer while the value
// grows, a few times at most. Never with a null buffer: with one the call succeeds without reading
// anything, and a value that grew meanwhile would read as empty.
template <typename Read> std::optional<platform::RegistryValue> ReadGrowing(DWORD size, Read read) {
    for (int attempt = 0; attempt < kMaxQueryAttempts; ++attempt) {
        std::vector<std::uint8_t> data(std::max<DWORD>(size, 1));
        size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LSTATUS status = read(data.data(), &size, &type);
        if (status == ERROR_SUCCESS) {
            data.resize(size);
            return platform::RegistryValue{type, std::move(data)};
        }
        if (status != ERROR_MORE_DATA) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool HoldsNul(const std::wstring& name) {
    return name.find(L'\0') != std::wstring::npos;
}

// A value whose name holds a NUL cannot be named to the NUL-terminated calls: those would address
// the value named by the part before it. Enumeration hands out each name with its length and the
// data of that very value, so the name is matched there, whole, ignoring case as Windows does.
std::optional<platform::RegistryValue> QueryByEnumeration(HKEY key, const std::wstring& name) {
    std::vector<wchar_t> buffer(kMaxValueNameBuffer);
    for (DWORD index = 0; index < static_cast<DWORD>(kMaxEnumerationSteps); ++index) {
        auto length = static_cast<DWORD>(buffer.size());
        DWORD type = 0;
        DWORD size = 0;
        const LSTATUS status =
            RegEnumValueW(key, index, buffer.data(), &length, nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS) {
            return std::nullopt;
        }
        if (length != name.size() ||
            CompareStringOrdinal(buffer.data(), static_cast<int>(length), name.data(),
                                 static_cast<int>(name.size()), TRUE) != CSTR_EQUAL) {
            continue;
        }
        return ReadGrowing(size, [&](BYTE* data, DWORD* dataSize, DWORD* dataType) {
            length = static_cast<DWORD>(buffer.size());
            return RegEnumValueW(key, index, buffer.data(), &length, nullptr, dataType, data,
                                 dataSize);
        });
    }
    return std::nullopt;
}

} // namespace

std::optional<std::vector<std::wstring>> Win32Registry::ListValueNames(platform::Hive hive,
                                                                       const std::wstring& key) {
    const unique_hkey handle = OpenKey(hive, key, KEY_READ);
    if (!handle) {
        return std::nullopt;
    }

    DWORD longestName = 0;
    if (RegQueryInfoKeyW(handle.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &longestName, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        longestName = 255;
    }
    std::vector<wchar_t> buffer(std::min<DWORD>(longestName + 1, kMaxValueNameBuffer));

    std::vector<std::wstring> names;
    DWORD index = 0;
    for (int step = 0; step < kMaxEnumerationSteps; ++step) {
        auto length = static_cast<DWORD>(buffer.size());
        const LSTATUS status = RegEnumValueW(handle.get(), index, buffer.data(), &length, nullptr,
                                             nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS) {
            names.emplace_back(buffer.data(), length);
            ++index;
        } else if (status == ERROR_MORE_DATA && buffer.size() < kMaxValueNameBuffer) {
            // A name added after the size query: the required length is not reported, so grow
            // and read the same index again.
            buffer.resize(std::min<std::size_t>(buffer.size() * 2, kMaxValueNameBuffer));
        } else {
            break;
        }
    }
    return names;
}

std::optional<std::vector<platform::NamedRegistryValue>>
Win32Registry::ListValues(platform::Hive hive, const std::wstring& key) {
    const unique_hkey handle = OpenKey(hive, key, KEY_QUERY_VALUE);
    if (!handle) {
        return std::nullopt;
    }
    DWORD longestName = 0;
    DWORD largestData = 0;
    if (RegQueryInfoKeyW(handle.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &longestName, &largestData, nullptr, nullptr) != ERROR_SUCCESS) {
        longestName = 255;
    }
    std::vector<wchar_t> name(std::min<DWORD>(longestName + 1, kMaxValueNameBuffer));
    std::vector<std::uint8_t> data(std::max<DWORD>(largestData, 1));

    // One call a value hands out its name and data together. A value that grew or came after
    // the size query makes the buffers grow and the same index be read again.
    std::vector<platform::NamedRegistryValue> values;
    DWORD index = 0;
    int retries = 0;
    for (int step = 0; step < kMaxEnumerationSteps; ++step) {
        auto length = static_cast<DWORD>(name.size());
        auto size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LSTATUS status = RegEnumValueW(handle.get(), index, name.data(), &length, nullptr,
                                             &type, data.data(), &size);
        if (status == ERROR_SUCCESS) {
            values.push_back(
                {std::wstring(name.data(), length),
                 {type, std::vector<std::uint8_t>(data.begin(), data.begin() + size)}});
            ++index;
            retries = 0;
        } else if (status == ERROR_MORE_DATA && retries < kMaxQueryAttempts) {
            ++retries;
            data.resize(std::max<std::size_t>(size, data.size() * 2));
            name.resize(std::min<std::size_t>(name.size() * 2, kMaxValueNameBuffer));
        } else {
            break;
        }
    }
    return values;
}

std::optional<std::vector<std::wstring>> Win32Registry::ListSubkeyNames(platform::Hive hive,
                                                                        const std::wstring& key) {
    const unique_hkey handle = OpenKey(hive, key, KEY_ENUMERATE_SUB_KEYS);
    if (!handle) {
        return std::nullopt;
    }
    // Key names are at most 255 characters.
    std::vector<wchar_t> buffer(256);
    std::vector<std::wstring> names;
    for (DWORD index = 0; index < static_cast<DWORD>(kMaxEnumerationSteps); ++index) {
        auto length = static_cast<DWORD>(buffer.size());
        if (RegEnumKeyExW(handle.get(), index, buffer.data(), &length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(buffer.data(), length);
    }
    return names;
}

std::optional<platform::RegistryValue>
Win32Registry::QueryValue(platform::Hive hive, const std::wstring& key, const std::wstring& name) {
    const unique_hkey handle = OpenKey(hive, key, KEY_QUERY_VALUE);
    if (!handle) {
        return std::nullopt;
    }
    if (HoldsNul(name)) {
        return QueryByEnumeration(handle.get(), name);
    }
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(handle.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return ReadGrowing(size, [&](BYTE* data, DWORD* dataSize, DWORD* dataType) {
        return RegQueryValueExW(handle.get(), name.c_str(), nullptr, dataType, data, dataSize);
    });
}

bool Win32Registry::CreateKey(platform::Hive hive, const std::wstring& key) {
    unique_hkey handle;
    if (RegCreateKeyExW(RootOf(hive), Normalised(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE, nullptr, handle.put(), nullptr) != ERROR_SUCCESS) {
        handle.release();
        return false;
    }
    return true;
}

bool Win32Registry::SetValue(platform::Hive hive, const std::wstring& key, const std::wstring& name,
                             const platform::RegistryValue& value) {
    if (HoldsNul(name)) {
        return false;
    }
    const unique_hkey handle = OpenKey(hive, key, KEY_SET_VALUE);
    if (!handle) {
        return false;
    }
    static const BYTE kNoData = 0;
    const BYTE* bytes = value.data.empty() ? &kNoData : value.data.data();
    return RegSetValueExW(handle.get(), name.c_str(), 0, value.type, bytes,
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteValue(platform::Hive hive, const std::wstring& key,
                                const std::wstring& name) {
    if (HoldsNul(name)) {
        return false;
    }
    const unique_hkey handle = OpenKey(hive, key, KEY_SET_VALUE);
    return handle && RegDeleteValueW(handle.get(), name.c_str()) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteKey(platform::Hive hive, const std::wstring& key) {
    const std::wstring target = Normalised(key);
    // An empty name would address the hive itself.
    if (target.empty()) {
        return false;
    }
    return RegDeleteKeyW(RootOf(hive), target.c_str()) == ERROR_SUCCESS;
}

} // namespace vtrl::win32
