#pragma once
// The create page: a startup record of the user's own, written as a shortcut in the user's
// Startup folder; the window then restarts so that its list shows the new record.

#include "platform/ui/control.h"

#include <string>

namespace vtrl::manager {

class Main;

inline constexpr wchar_t kExecutableFilter[] = L"Executable Files (*.exe)|*.exe";
inline constexpr wchar_t kAnyFilePattern[] = L"*.*";

struct PathParts {
    std::wstring folder;   // everything before the last backslash, ending with a backslash
    std::wstring fileName; // what follows the last backslash
};
// Splits a chosen path into the working folder and the executable's name.
PathParts SplitChosenPath(const std::wstring& path);
// The shortcut's name for an executable name: without its last dot and what follows
// ("my.tool.exe" gives "my.tool"); a name without a dot, or with nothing before its last dot,
// is taken whole.
std::wstring ShortcutNameFor(const std::wstring& exeName);

class CreatePage {
public:
    explicit CreatePage(Main& main) : main_(main) {}

    ui::Control Deza5{ui::ControlKind::Label,
                      L"Deza(5)",
                      {120, 120, 8400, 375},
                      L"Create your own startup record"};
    ui::Control Image2{ui::ControlKind::Picture, L"Image2", {600, 840, 960, 960}};
    ui::Control Label16{ui::ControlKind::Label, L"Label16", {1800, 720, 5040, 255}, L"Location"};
    ui::Control Text1{ui::ControlKind::TextBox, L"Text1", {1800, 990, 5040, 315}};
    ui::Control Command16{
        ui::ControlKind::Button, L"Command16", {6960, 975, 1560, 345}, L"Browse..."};
    ui::Control Label17{ui::ControlKind::Label, L"Label17", {1800, 1440, 5040, 255}, L"Parameters"};
    ui::Control Text2{ui::ControlKind::TextBox, L"Text2", {1800, 1710, 5040, 315}};
    ui::Control Label18{
        ui::ControlKind::Label, L"Label18", {1800, 2160, 5040, 255}, L"Working directory"};
    ui::Control Text3{ui::ControlKind::TextBox, L"Text3", {1800, 2430, 5040, 315}};
    ui::Control Label19{
        ui::ControlKind::Label, L"Label19", {1800, 2880, 5040, 255}, L"Executable filename"};
    ui::Control Text4{ui::ControlKind::TextBox, L"Text4", {1800, 3150, 5040, 315}};
    ui::Control Command17{ui::ControlKind::Button, L"Command17", {120, 4560, 1815, 420}, L"create"};
    ui::Control Command15{
        ui::ControlKind::Button, L"Command15", {2055, 4560, 1815, 420}, L"cancel"};

    // Adds the page's controls to the window; the window's constructor calls it once.
    void Build();
    // Keyed captions from the language file and the language's character set for labels.
    void LoadTexts();
    // "Browse...": the open-file dialog fills the location, folder and name fields.
    void Command16_Click();
    // "create": writes the shortcut and restarts the window.
    void Command17_Click();
    // "cancel": back to the list; the fields keep what they hold.
    void Command15_Click();

private:
    Main& main_;
};

} // namespace vtrl::manager
