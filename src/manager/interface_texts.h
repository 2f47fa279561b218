#pragma once
// The manager window's interface texts, each read from the language file once per language:
// GetText reads the file at every call, and a list of a thousand rows, or a record page opened
// again and again, asks the same few keys.

#include "platform/platform.h"
#include "services/localisation.h"

#include <map>
#include <string>

namespace vtrl::manager {

class InterfaceTexts {
public:
    InterfaceTexts(platform::Platform& platform, const services::Language& language)
        : platform_(platform), language_(language) {}

    // GetText of section "INTERFACE" in the language shown now; after a change of language the
    // texts are read afresh from the new language's file.
    const std::wstring& operator()(const std::wstring& key);

private:
    platform::Platform& platform_;
    const services::Language& language_;
    // The language whose texts are held.
    std::wstring heldFolder_;
    std::wstring heldName_;
    std::map<std::wstring, std::wstring> texts_;
};

} // namespace vtrl::manager
