#pragma once

#include "platform/http.h"

namespace vtrl::win32 {

class Win32Http final : public platform::Http {
public:
    std::optional<std::string> Get(const std::wstring& url) override;
};

} // namespace vtrl::win32
