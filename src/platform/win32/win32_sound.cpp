#include "platform/win32/win32_sound.h"

#include <windows.h>

#include <mmsystem.h>

namespace vtrl::win32 {

bool Win32Sound::PlayFileAsync(const std::wstring& path) {
    if (path.empty()) {
        return false;
    }
    // Without SND_NODEFAULT a file that cannot be played would ring the system's default sound.
    return PlaySoundW(path.c_str(), nullptr, SND_ASYNC | SND_FILENAME | SND_NODEFAULT) != FALSE;
}

} // namespace vtrl::win32
