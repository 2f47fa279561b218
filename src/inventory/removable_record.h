#pragma once
// Which startup records the program can remove by their own name.

#include "inventory/startup_record.h"

namespace vtrl::inventory {

// True for a record of a known place type whose entry the removal can address
// exactly. A value name holding a NUL cannot be named to the system's delete call (it would
// delete the value named by the part before the NUL), so such a record is shown but never
// removed; callers say "cannot be removed" instead of trying.
bool CanBeRemoved(const StartupRecord& record);

} // namespace vtrl::inventory
