#pragma once
// The registry steps every registry place type shares: reading one value exactly, deleting it,
// and writing it back, each addressed by a key text with its hive ("HKEY_CURRENT_USER\...") and
// the value's own name.

#include "inventory/place_content.h"
#include "inventory/startup_record.h"
#include "platform/locale.h"
#include "platform/registry.h"

#include <optional>
#include <string>

namespace vtrl::inventory {

// True when the record's key and value name hold no NUL: the system's calls can name the value
// exactly (with one they would act on the value named by the part before it).
bool NamesValueExactly(const StartupRecord& record);

// The value's type and raw data as stored, with `fullLocation` as its exact location; nullopt
// when it is missing, cannot be read or is larger than a copy keeps.
std::optional<PlaceContent> ReadValueContent(platform::Registry& registry, const std::wstring& key,
                                             const std::wstring& name,
                                             const std::wstring& fullLocation);

// Deletes only this value (also a key's unnamed default value); true when it is gone afterwards,
// also when it was gone before.
bool DeleteNamedValue(platform::Registry& registry, platform::Locale& locale,
                      const std::wstring& key, const std::wstring& name);

// Writes back the value a copy kept (its type and raw data), creating the key when missing.
bool WriteValueContent(platform::Registry& registry, const std::wstring& key,
                       const std::wstring& name, const PlaceContent& content);

// Creates the key when missing and writes the value.
bool WriteNamedValue(platform::Registry& registry, const std::wstring& key,
                     const std::wstring& name, const platform::RegistryValue& value);

} // namespace vtrl::inventory
