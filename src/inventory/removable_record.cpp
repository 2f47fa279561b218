#include "inventory/removable_record.h"

#include "inventory/startup_place.h"

namespace vtrl::inventory {

bool CanBeRemoved(const StartupRecord& record) {
    const StartupPlace* place = PlaceOfKind(record.Kind);
    return place != nullptr && place->CanRemove(record);
}

} // namespace vtrl::inventory
