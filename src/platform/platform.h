#pragma once
// Every Windows facility the core uses, gathered once in the entry and passed by reference. The
// window system is not among them: the entry hands it to the user-interface code alone.

#include "platform/change_watch.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/data_lock.h"
#include "platform/desktop.h"
#include "platform/environment.h"
#include "platform/file_signature.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/http.h"
#include "platform/icons.h"
#include "platform/ini_file.h"
#include "platform/launcher.h"
#include "platform/locale.h"
#include "platform/message_box.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/shell_link.h"
#include "platform/sound.h"
#include "platform/version_info.h"

namespace vtrl::platform {

struct Platform {
    Registry& registry;
    FileSystem& files;
    Folders& folders;
    ShellLinks& links;
    Locale& locale;
    VersionInfo& version;
    Clock& clock;
    Processes& processes;
    IniFiles& ini;
    MessageBoxes& messages;
    Launcher& launcher;
    Http& http;
    Icons& icons;
    Sound& sound;
    Desktop& desktop;
    ChangeWatch& changes;
    DataLocks& locks;
    Environment& environment;
    FileSignatures& signatures;
    Clipboard& clipboard;
};

} // namespace vtrl::platform
