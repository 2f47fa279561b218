#include "manager/interface_texts.h"

namespace vtrl::manager {

const std::wstring& InterfaceTexts::operator()(const std::wstring& key) {
    if (heldFolder_ != language_.LanguageFolder || heldName_ != language_.LanguageName) {
        texts_.clear();
        heldFolder_ = language_.LanguageFolder;
        heldName_ = language_.LanguageName;
    }
    auto found = texts_.find(key);
    if (found == texts_.end()) {
        found =
            texts_.emplace(key, services::GetText(platform_, language_, L"INTERFACE", key)).first;
    }
    return found->second;
}

} // namespace vtrl::manager
