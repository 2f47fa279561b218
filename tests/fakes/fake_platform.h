#pragma once
// Every fake gathered into one platform, with a Windows-like profile ready for start-up.

#include "fakes/fake_icons.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_system.h"
#include "platform/platform.h"

namespace vtrl::fakes {

class FakePlatform {
public:
    FakePlatform();
    platform::Platform& Get() { return platform_; }

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

private:
    platform::Platform platform_{registry,  files, folders,  links,    locale, version, clock,
                                 processes, ini,   messages, launcher, http,   icons};
};

} // namespace vtrl::fakes
