#include "manager/store_message.h"

#include "manager/main_window.h"

namespace vtrl::manager {

bool ShowStoreProblem(Main& main, decisions::StoreResult result) {
    const wchar_t* key = nullptr;
    if (result.outcome == decisions::StoreOutcome::Busy) {
        key = L"DATABUSY";
    } else if (result.outcome == decisions::StoreOutcome::TooLarge) {
        key = L"DATATOOLARGE";
    } else if (result.outcome == decisions::StoreOutcome::NotRemovable) {
        key = L"NOTREMOVABLE";
    }
    if (key == nullptr) {
        return false;
    }
    main.Platform().messages.Show(main.Text(key), services::kProductName,
                                  platform::MessageIcon::Warning, platform::MessageButtons::Ok);
    return true;
}

} // namespace vtrl::manager
