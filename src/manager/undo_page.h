#pragma once
// The undo page: the startup records removed earlier, as the backup-and-log file holds them,
// with a restore, an emptying of the log, and a filter to the last seven days.

#include "decisions/backup_log.h"
#include "platform/ui/control.h"

#include <optional>
#include <string>
#include <vector>

namespace vtrl::manager {

class Main;

class UndoPage {
public:
    explicit UndoPage(Main& main) : main_(main) {}

    // Adds the page's controls to the window; the window's constructor calls it once.
    void Build();
    // Keyed captions from the language file and the language's character set for labels.
    void LoadTexts();
    void FillUndoList();
    // The entry line `line` of List1 shows; nullopt for no line.
    std::optional<decisions::BackupEntry> EntryOfLine(int line) const;

    void Command8_Click();
    void Command9_Click();
    void Command7_Click();

    ui::Control Deza4{ui::ControlKind::Label, L"Deza(4)", {120, 120, 8655, 375}, L"Undo delete"};
    ui::Control Label8{ui::ControlKind::Label,
                       L"Label8",
                       {120, 600, 8655, 495},
                       L"You should undo delete if some function of your computer stopped "
                       L"working properly. "};
    ui::Control List1{ui::ControlKind::ListBox, L"List1", {120, 1200, 8655, 3015}};
    ui::Control Check10{ui::ControlKind::CheckBox,
                        L"Check10",
                        {120, 4320, 8655, 300},
                        L"show only past week records"};
    ui::Control Command8{
        ui::ControlKind::Button, L"Command8", {120, 4755, 2055, 420}, L"Undo deleted"};
    ui::Control Command9{
        ui::ControlKind::Button, L"Command9", {2295, 4755, 2055, 420}, L"Clear list"};
    ui::Control Command7{ui::ControlKind::Button, L"Command7", {7335, 4755, 1440, 420}, L"ok"};

    // A record was restored in this window: leaving through "ok" starts a fresh one.
    bool RestartPending = false;

private:
    Main& main_;
    // What List1 lists, line for line.
    decisions::BackupListing listing_;
};

} // namespace vtrl::manager
