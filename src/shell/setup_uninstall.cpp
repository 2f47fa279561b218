#include "shell/setup_uninstall.h"

#include "services/registry_access.h"

#include <thread>

namespace vtrl::shell {

namespace {

void RemoveFileIfThere(platform::FileSystem& files, const std::wstring& path) {
    if (files.FileExists(path)) {
        files.Remove(path);
    }
}

// The group holds only what "install" put there; a folder someone added inside keeps the group.
void RemoveProgramGroup(platform::FileSystem& files, const std::wstring& group) {
    for (const platform::FolderEntry& entry : files.ListFolder(group, L"*")) {
        if ((entry.attributes & platform::kAttributeDirectory) == 0) {
            files.Remove(group + L"\\" + entry.name);
        }
    }
    files.RemoveEmptyFolder(group);
}

} // namespace

void UninstallForSetup(platform::Platform& platform, const services::SystemFacts& facts,
                       const PauseFunction& pause) {
    const InstallLayout layout = LayoutFor(facts);
    RemoveFileIfThere(platform.files, layout.agentShortcut);

    platform.desktop.CloseWindowByTitle(services::kTrayAgentCaption, false);
    for (auto waited = std::chrono::milliseconds::zero();
         waited < kAgentCloseWait && platform.desktop.WindowExists(services::kTrayAgentCaption);
         waited += kAgentCloseLook) {
        if (pause) {
            pause(kAgentCloseLook);
        } else {
            std::this_thread::sleep_for(kAgentCloseLook);
        }
    }

    if (layout.desktopShortcutIsOwn) {
        RemoveFileIfThere(platform.files, layout.desktopShortcut);
    }
    if (layout.programGroupIsOwn && platform.files.FolderExists(layout.programGroup)) {
        RemoveProgramGroup(platform.files, layout.programGroup);
    }
    services::RegDeletePath(platform.registry, layout.uninstallKey + L"\\");
}

} // namespace vtrl::shell
