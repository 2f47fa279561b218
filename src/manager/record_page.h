#pragma once
// The record page: one startup record, the decision about it, and help for making it (the
// file's properties, a web search, its folder, the way back through the undo page).

#include "inventory/startup_record.h"
#include "manager/enlarged_icon.h"
#include "platform/ui/control.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::manager {

class Main;

// The status an "Ok" stores for the selected option: "0", "1", "2", or empty for "Just for now".
std::wstring StatusForChoice(bool noDecision, bool approved, bool restricted);
// "Approve everything %1 starts" with the publisher put in for %1.
std::wstring PublisherLinkText(const std::wstring& pattern, const std::wstring& publisher);
// The web search for an executable's upper-case name: "What is " + name, not encoded.
std::wstring WebSearchAddress(const std::wstring& upperCaseName);

class RecordPage {
public:
    explicit RecordPage(Main& main) : main_(main) {}

    // Adds the page's controls to the window; the window's constructor calls it once.
    void Build();
    // Keyed captions from the language file and the language's character set for labels.
    void LoadTexts();
    // Fills the page for record index and shows it (a click on a row of the list).
    void Open(int index);

    void UpdateRestrictOptions();
    // Not found, the launcher beside the program, the hijack risk: one line each.
    std::wstring RecordNotes(const inventory::StartupRecord& record);
    void Command1_Click();
    void Label1_Click();
    void Label4_Click();
    void Label6_Click();
    void Label7_Click();
    void Label10_Click();
    void LabelPublisher_Click();
    // "Switch off" / "Switch on": Windows' own switch of the record, at once.
    void CommandSwitch_Click();

    // The help column on the left.
    ui::Control Label2{ui::ControlKind::Label, L"Label2", {120, 120, 3120, 300}, L"Not sure?"};
    ui::Control Label5{ui::ControlKind::Label,
                       L"Label5",
                       {120, 480, 3120, 1035},
                       L"If you're not sure which option to choose click links below to find "
                       L"out more information about that file."};
    ui::Control Label4{
        ui::ControlKind::Label, L"Label4", {120, 1620, 3120, 255}, L"See file properties"};
    ui::Control Label6{
        ui::ControlKind::Label, L"Label6", {120, 1980, 3120, 255}, L"Answer on the Web"};
    ui::Control Label9{ui::ControlKind::Label, L"Label9", {120, 2700, 3120, 300}, L"Undo delete"};
    ui::Control Label7{ui::ControlKind::Label,
                       L"Label7",
                       {120, 3060, 3120, 495},
                       L"You can undo any changes if something will go wrong!"};
    ui::Control Label10{
        ui::ControlKind::Label, L"Label10", {120, 3660, 3120, 255}, L"Undo changes"};

    // The record and the decision, from left 3600.
    ui::Control Label1{ui::ControlKind::Label, L"Label1", {3600, 180, 4080, 375}};
    ui::Control Image1{ui::ControlKind::Picture, L"Image1", {7800, 120, 960, 960}};
    ui::Control Label14{ui::ControlKind::Label,
                        L"Label14",
                        {3600, 720, 4080, 495},
                        L"What would you like to do with this startup record?"};
    ui::Control Option1{ui::ControlKind::OptionButton,
                        L"Option1",
                        {3600, 1380, 5175, 300},
                        L"I made no descision yet"};
    ui::Control Option2{ui::ControlKind::OptionButton,
                        L"Option2",
                        {3600, 1740, 5175, 300},
                        L"I approve it, leave as is"};
    ui::Control Option3{
        ui::ControlKind::OptionButton, L"Option3", {3600, 2100, 5175, 300}, L"Restricted:"};
    ui::Control Check3{
        ui::ControlKind::CheckBox, L"Check3", {3960, 2460, 4815, 300}, L"Delete startup record"};
    ui::Control Check4{ui::ControlKind::CheckBox,
                       L"Check4",
                       {3960, 2820, 4815, 300},
                       L"Shut down file if running"};
    ui::Control Option9{ui::ControlKind::OptionButton,
                        L"Option9",
                        {3600, 3180, 5175, 300},
                        L"Just for now: delete startup record"};
    ui::Control Command1{ui::ControlKind::Button, L"Command1", {3600, 3780, 1455, 420}, L"Ok"};
    // Only for a record Windows has a switch for; its caption says which way it goes.
    ui::Control CommandSwitch{
        ui::ControlKind::Button, L"CommandSwitch", {5220, 3780, 2055, 420}, L"Switch off"};

    // Who made the program, as its signature says, and its exact bytes; across the foot of the
    // page, where a 64-digit hash fits on one line.
    ui::Control LabelSignature{ui::ControlKind::Label, L"LabelSignature", {120, 4380, 8655, 255}};
    ui::Control LabelSha256{ui::ControlKind::Label, L"LabelSha256", {120, 4680, 8655, 255}};
    // "Approve everything <publisher> starts": only for a verified program that is no launcher
    // and whose publisher is not approved yet.
    ui::Control LabelPublisher{ui::ControlKind::Label, L"LabelPublisher", {120, 4980, 8655, 255}};

    // What the page shows, kept where the handlers read it.
    // What runs the program and what is wrong with its command, under the decision.
    ui::Control Label15{ui::ControlKind::Label, L"Label15", {3600, 4260, 5175, 735}};
    ui::Control Label3{ui::ControlKind::Label, L"Label3", {0, 0, 0, 0}};
    ui::Control Label11{ui::ControlKind::Label, L"Label11", {0, 0, 0, 0}};
    ui::Control id{ui::ControlKind::Label, L"id", {0, 0, 0, 0}};

private:
    Main& main_;
    // The approval shown comes from a publisher rule, not from the record's own decision: "Ok"
    // with it still chosen stores nothing, so that the approval stays bound to the signature.
    bool approvedByPublisher_ = false;
};

} // namespace vtrl::manager
