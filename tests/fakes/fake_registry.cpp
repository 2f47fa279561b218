#include "fakes/fake_registry.h"

#include <algorithm>
#include <cwctype>

namespace vtrl::fakes {

using platform::Hive;

FakeRegistry::FakeRegistry() {
    // The hive roots always exist.
    keys_[{Hive::LocalMachine, L""}] = {};
    keys_[{Hive::CurrentUser, L""}] = {};
}

std::optional<std::vector<std::wstring>> FakeRegistry::Components(const std::wstring& key) {
    if (!key.empty() && key.front() == L'\\') {
        return std::nullopt; // Windows answers ERROR_BAD_PATHNAME
    }
    std::vector<std::wstring> parts;
    std::wstring part;
    for (wchar_t c : key) {
        if (c != L'\\') {
            part.push_back(c);
        } else if (!part.empty()) {
            parts.push_back(std::move(part));
            part.clear();
        }
    }
    if (!part.empty()) {
        parts.push_back(std::move(part));
    }
    return parts;
}

std::wstring FakeRegistry::Fold(const std::wstring& text) {
    std::wstring folded = text;
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return folded;
}

std::optional<FakeRegistry::KeyId> FakeRegistry::IdOf(Hive hive, const std::wstring& key) {
    const auto parts = Components(key);
    if (!parts) {
        return std::nullopt;
    }
    std::wstring path;
    for (const auto& part : *parts) {
        path += (path.empty() ? L"" : L"\\") + Fold(part);
    }
    return KeyId{hive, path};
}

FakeRegistry::Key* FakeRegistry::Find(Hive hive, const std::wstring& key) {
    return const_cast<Key*>(std::as_const(*this).Find(hive, key));
}

const FakeRegistry::Key* FakeRegistry::Find(Hive hive, const std::wstring& key) const {
    const auto id = IdOf(hive, key);
    if (!id) {
        return nullptr;
    }
    const auto found = keys_.find(*id);
    return found == keys_.end() ? nullptr : &found->second;
}

FakeRegistry::Key* FakeRegistry::FindAccessible(Hive hive, const std::wstring& key) {
    Key* found = Find(hive, key);
    return found && !found->denied ? found : nullptr;
}

std::optional<std::vector<std::wstring>> FakeRegistry::ListValueNames(Hive hive,
                                                                      const std::wstring& key) {
    const Key* found = FindAccessible(hive, key);
    if (!found) {
        return std::nullopt;
    }
    std::vector<std::wstring> names;
    for (const auto& [name, value] : found->values) {
        names.push_back(name);
    }
    return names;
}

std::optional<std::vector<std::wstring>> FakeRegistry::ListSubkeyNames(Hive hive,
                                                                       const std::wstring& key) {
    const auto id = IdOf(hive, key);
    if (!id || !FindAccessible(hive, key)) {
        return std::nullopt;
    }
    // The map orders paths by their folded text, as Windows orders a key's subkeys.
    const std::wstring prefix = id->second.empty() ? L"" : id->second + L"\\";
    std::vector<std::wstring> names;
    for (const auto& [childId, child] : keys_) {
        if (childId.first != hive || childId.second.size() <= prefix.size() ||
            !childId.second.starts_with(prefix) ||
            childId.second.find(L'\\', prefix.size()) != std::wstring::npos) {
            continue;
        }
        names.push_back(child.spelling.substr(child.spelling.rfind(L'\\') + 1));
    }
    return names;
}

std::optional<platform::RegistryValue> FakeRegistry::QueryValue(Hive hive, const std::wstring& key,
                                                                const std::wstring& name) {
    const Key* found = FindAccessible(hive, key);
    if (!found) {
        return std::nullopt;
    }
    const std::wstring folded = Fold(name);
    for (const auto& [storedName, value] : found->values) {
        if (Fold(storedName) == folded) {
            return value;
        }
    }
    return std::nullopt;
}

bool FakeRegistry::CreateKey(Hive hive, const std::wstring& key) {
    ++mutatingCalls_;
    const auto parts = Components(key);
    if (!parts) {
        return false;
    }
    std::wstring folded;
    std::wstring spelling;
    const Key* parent = &keys_.at({hive, L""});
    for (const auto& part : *parts) {
        folded += (folded.empty() ? L"" : L"\\") + Fold(part);
        spelling += (spelling.empty() ? L"" : L"\\") + part;
        auto found = keys_.find({hive, folded});
        if (found == keys_.end()) {
            if (parent->denied) {
                return false;
            }
            found = keys_.emplace(KeyId{hive, folded}, Key{spelling, {}, false}).first;
        }
        parent = &found->second;
    }
    return !parent->denied;
}

bool FakeRegistry::SetValue(Hive hive, const std::wstring& key, const std::wstring& name,
                            const platform::RegistryValue& value) {
    ++mutatingCalls_;
    if (name.find(L'\0') != std::wstring::npos) {
        return false;
    }
    Key* found = FindAccessible(hive, key);
    if (!found) {
        return false;
    }
    const std::wstring folded = Fold(name);
    for (auto& [storedName, storedValue] : found->values) {
        if (Fold(storedName) == folded) {
            storedValue = value; // keeps its place and its first spelling, as Windows does
            return true;
        }
    }
    found->values.emplace_back(name, value);
    return true;
}

bool FakeRegistry::DeleteValue(Hive hive, const std::wstring& key, const std::wstring& name) {
    ++mutatingCalls_;
    if (name.find(L'\0') != std::wstring::npos) {
        return false;
    }
    Key* found = FindAccessible(hive, key);
    if (!found) {
        return false;
    }
    const std::wstring folded = Fold(name);
    return std::erase_if(found->values,
                         [&](const auto& entry) { return Fold(entry.first) == folded; }) > 0;
}

void FakeRegistry::PlantValue(Hive hive, const std::wstring& key, const std::wstring& name,
                              const platform::RegistryValue& value) {
    if (Key* found = FindAccessible(hive, key)) {
        found->values.emplace_back(name, value);
    }
}

bool FakeRegistry::DeleteKey(Hive hive, const std::wstring& key) {
    ++mutatingCalls_;
    const auto id = IdOf(hive, key);
    if (!id || id->second.empty()) {
        return false;
    }
    const auto found = keys_.find(*id);
    if (found == keys_.end() || found->second.denied) {
        return false;
    }
    const std::wstring childPrefix = id->second + L"\\";
    for (const auto& [otherId, other] : keys_) {
        if (otherId.first == hive && otherId.second.starts_with(childPrefix)) {
            return false; // Windows refuses with ERROR_ACCESS_DENIED
        }
    }
    keys_.erase(found);
    return true;
}

bool FakeRegistry::KeyExists(Hive hive, const std::wstring& key) const {
    return Find(hive, key) != nullptr;
}

std::wstring FakeRegistry::KeySpelling(Hive hive, const std::wstring& key) const {
    const Key* found = Find(hive, key);
    return found ? found->spelling : std::wstring{};
}

void FakeRegistry::DenyAccess(Hive hive, const std::wstring& key) {
    if (Key* found = Find(hive, key)) {
        found->denied = true;
    }
}

} // namespace vtrl::fakes
