#pragma once
// The quality-programme page of the framework dialog: the consent setting and its file.

#include "platform/files.h"
#include "platform/registry.h"
#include "services/settings_keys.h"
#include "services/system_facts.h"

namespace vtrl::services {

inline constexpr wchar_t kCipSection[] = L"CIP";
inline constexpr wchar_t kCipFileName[] = L"cip.txt";

// Whether the consent box starts checked.
bool QualityConsentGiven(platform::Registry& registry);

// Saves the choice; for a consent also deletes the programme file. True when the window is to
// thank the user ("CIP"/"THANKS"). The page then ends the process either way.
bool SaveQualityConsent(platform::FileSystem& files, platform::Registry& registry,
                        const SystemFacts& facts, bool consent);

} // namespace vtrl::services
