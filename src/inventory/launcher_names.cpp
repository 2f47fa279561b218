#include "inventory/launcher_names.h"

#include "inventory/launcher_payload.h"

namespace vtrl::inventory {

bool IsLauncherName(std::wstring_view fileName) {
    return KindOfLauncher(fileName) != LauncherKind::None;
}

} // namespace vtrl::inventory
