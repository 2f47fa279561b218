#pragma once
// Every fake gathered into one platform, with a Windows-like profile ready for start-up.

#include "fakes/fake_change_watch.h"
#include "fakes/fake_clipboard.h"
#include "fakes/fake_data_lock.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_environment.h"
#include "fakes/fake_file_signature.h"
#include "fakes/fake_icons.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_system.h"
#include "fakes/fake_window_system.h"
#include "platform/platform.h"

namespace vtrl::fakes {

class FakePlatform {
public:
    FakePlatform();
    platform::Platform& Get() { return platform_; }
    // The same platform with its files seen through another file system (a wrapper that fails
    // or records chosen calls).
    platform::Platform WithFiles(platform::FileSystem& otherFiles) {
        return platform::Platform{platform_.registry,   otherFiles,          platform_.folders,
                                  platform_.links,      platform_.locale,    platform_.version,
                                  platform_.clock,      platform_.processes, platform_.ini,
                                  platform_.messages,   platform_.launcher,  platform_.http,
                                  platform_.icons,      platform_.sound,     platform_.desktop,
                                  platform_.changes,    platform_.locks,     platform_.environment,
                                  platform_.signatures, platform_.clipboard};
    }

    FakeRegistry registry;
    FakeFileSystem files;
    FakeFolders folders;
    FakeShellLinks links;
    FakeLocale locale;
    FakeVersionInfo version;
    FakeClock clock;
    FakeProcesses processes;
    FakeIniFiles ini{files};
    FakeMessageBoxes messages;
    FakeLauncher launcher;
    FakeHttp http;
    FakeIcons icons;
    FakeSound sound;
    FakeDesktop desktop;
    // Not part of the platform: handed to the windows that need it.
    FakeWindowSystem windows;
    FakeChangeWatch changes;
    FakeDataLocks locks;
    FakeEnvironment environment;
    FakeFileSignatures signatures{files};
    FakeClipboard clipboard;

private:
    platform::Platform platform_{registry, files, folders,     links,      locale,
                                 version,  clock, processes,   ini,        messages,
                                 launcher, http,  icons,       sound,      desktop,
                                 changes,  locks, environment, signatures, clipboard};
};

} // namespace vtrl::fakes
