#pragma once
// The framework dialog: three pages in one window. The newsletter page leads to the
// quality-programme page; that page and the language page end the process when confirmed.

#include "platform/platform.h"
#include "platform/ui/form.h"
#include "services/localisation.h"
#include "services/system_facts.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::services {

enum class FrameworkPage {
    Subscription,     // Picture1
    QualityProgramme, // Picture5
    Language,         // Picture4
};

class CORVEN_FORM_2_2 : public ui::Form {
public:
    // The language is the process's own: OK on the language page changes it.
    CORVEN_FORM_2_2(platform::Platform& platform, const SystemFacts& facts, Language& language);

    // The pages, each covering the whole client area.
    ui::Control Picture1{ui::ControlKind::Picture, L"Picture1", {0, 0, 7200, 4560}};
    ui::Control Picture5{ui::ControlKind::Picture, L"Picture5", {0, 0, 7200, 4560}};
    ui::Control Picture4{ui::ControlKind::Picture, L"Picture4", {0, 0, 7200, 4560}};

    // Subscription.
    ui::Control Label3{ui::ControlKind::Label, L"Label3", {360, 240, 6480, 375}};
    ui::Control Label2{ui::ControlKind::Label, L"Label2", {360, 720, 6480, 840}};
    ui::Control Label11{ui::ControlKind::Label, L"Label11", {360, 1800, 1920, 255}};
    ui::Control FN{ui::ControlKind::TextBox, L"FN", {2400, 1755, 4440, 315}};
    ui::Control Label17{ui::ControlKind::Label, L"Label17", {360, 2220, 1920, 255}};
    ui::Control LN{ui::ControlKind::TextBox, L"LN", {2400, 2175, 4440, 315}};
    ui::Control Label1{ui::ControlKind::Label, L"Label1", {360, 2640, 1920, 255}};
    ui::Control Text1{ui::ControlKind::TextBox, L"Text1", {2400, 2595, 4440, 315}};
    ui::Control Command2{
        ui::ControlKind::Button, L"Command2", {2400, 3720, 2100, 420}, L"Subscribe now <>"};
    ui::Control Command1{
        ui::ControlKind::Button, L"Command1", {4740, 3720, 2100, 420}, L"No, thanks <>"};

    // Quality programme.
    ui::Control Label16{ui::ControlKind::Label, L"Label16", {360, 240, 6480, 375}};
    ui::Control Label4{ui::ControlKind::Label, L"Label4", {360, 720, 6480, 1080}};
    ui::Control Check1{ui::ControlKind::CheckBox,
                       L"Check1",
                       {360, 2040, 6480, 300},
                       L"Join customer imporvement program"};
    ui::Control Command8{ui::ControlKind::Button, L"Command8", {4740, 3720, 2100, 420}, L"Save <>"};

    // Language: element 0 of LangArray is English; the others are made at load.
    ui::Control File1{ui::ControlKind::ListBox, L"File1", {360, 3720, 1800, 420}};
    ui::Control CFlag{ui::ControlKind::Picture, L"CFlag", {360, 3120, 720, 480}};
    ui::Control Command3{ui::ControlKind::Button, L"Command3", {4740, 3720, 2100, 420}, L"OK"};

    ui::Control& LangArray(int index) { return *langArray_[static_cast<std::size_t>(index)]; }
    int LangCount() const { return static_cast<int>(langArray_.size()); }

    // Makes one page visible and shows the dialog.
    void OpenOn(FrameworkPage page);
    void ShowPage(FrameworkPage page);
    FrameworkPage CurrentPage() const { return currentPage_; }

    void Form_Load() override;
    void LangArray_Click(int index);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command8_Click();

private:
    void SubscriptionAnswered(const std::optional<std::string>& reply);
    std::wstring Text(const wchar_t* section, const std::wstring& key);
    void Warn(const wchar_t* section, const std::wstring& key, platform::MessageIcon icon);
    void BuildLanguageList();
    void ShowFlag(const std::wstring& caption);

    platform::Platform& platform_;
    const SystemFacts& facts_;
    Language& language_;
    ui::Control english_{
        ui::ControlKind::OptionButton, L"LangArray(0)", {360, 360, 1800, 300}, kEnglishLanguage};
    std::vector<ui::Control*> langArray_;
    FrameworkPage currentPage_ = FrameworkPage::Subscription;
};

} // namespace vtrl::services
