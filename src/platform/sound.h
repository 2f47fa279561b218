#pragma once
// Playing sound files.

#include <string>

namespace vtrl::platform {

class Sound {
public:
    virtual ~Sound() = default;
    // Starts playing the wave file and returns at once; a missing or unplayable file stays silent
    // (no default sound stands in). True when playing started.
    virtual bool PlayFileAsync(const std::wstring& path) = 0;
};

} // namespace vtrl::platform
