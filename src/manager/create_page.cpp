#include "manager/create_page.h"

#include "manager/main_window.h"
#include "manager/record_page.h"
#include "platform/ui/window_system.h"
#include "services/icon_bitmap.h"
#include "services/localisation.h"
#include "services/system_facts.h"

namespace vtrl::manager {
namespace {

constexpr ui::Colour kWhite = 0x00FFFFFF;
constexpr int kEnlargeFactor = 2;

} // namespace

PathParts SplitChosenPath(const std::wstring& path) {
    const std::size_t last = path.rfind(L'\\');
    if (last == std::wstring::npos) {
        return {L"", path};
    }
    return {path.substr(0, last + 1), path.substr(last + 1)};
}

std::wstring ShortcutNameFor(const std::wstring& exeName) {
    const std::size_t dot = exeName.rfind(L'.');
    if (dot == std::wstring::npos || dot == 0) {
        return exeName;
    }
    return exeName.substr(0, dot);
}

void CreatePage::Build() {
    ui::Font title;
    title.points = 12;
    title.bold = true;
    Deza5.SetFont(title);
    for (ui::Control* control : {&Deza5, &Image2, &Label16, &Text1, &Command16, &Label17, &Text2,
                                 &Label18, &Text3, &Label19, &Text4, &Command17, &Command15}) {
        main_.AddToPage(*control, kCreatePage);
    }
    for (ui::Control* control : {&Deza5, &Image2, &Label16, &Label17, &Label18, &Label19}) {
        control->SetColours(ui::kDefaultColour, kWhite);
    }
    Command16.onClick = [this] { Command16_Click(); };
    Command17.onClick = [this] { Command17_Click(); };
    Command15.onClick = [this] { Command15_Click(); };
}

void CreatePage::LoadTexts() {
    const std::pair<ui::Control*, const wchar_t*> keyed[] = {
        {&Deza5, L"CREATEYOUROWN"}, {&Label16, L"CREATE16"},    {&Command16, L"COMMAND16"},
        {&Label17, L"CREATE17"},    {&Label18, L"CREATE18"},    {&Label19, L"CREATE19"},
        {&Command17, L"COMMAND17"}, {&Command15, L"COMMAND15"},
    };
    for (const auto& [control, key] : keyed) {
        control->SetCaption(main_.Text(key));
    }
    for (ui::Control* label : {&Deza5, &Label16, &Label17, &Label18, &Label19}) {
        main_.UseLanguageCharset(*label);
    }
}

void CreatePage::Command16_Click() {
    platform::Platform& platform = main_.Platform();
    const services::SystemFacts& facts = main_.Facts();
    const ui::OpenFileRequest request{services::kProductName, facts.ProgramFilesFolder,
                                      kExecutableFilter, kAnyFilePattern};
    // A cancelled dialog leaves its name box as it started, which names no file.
    const std::wstring path =
        main_.Windows().ChooseOpenFile(&main_, request).value_or(request.fileName);
    if (!platform.files.FileExists(path)) {
        return;
    }
    Text1.SetCaption(path);
    services::SaveIconBitmap(platform.files, platform.icons, facts.DataFolder, path,
                             services::kIconBitmapSize, services::kUserIconName);
    const std::wstring bitmap = services::IconBitmapPath(facts.DataFolder, services::kUserIconName);
    if (platform.files.FileExists(bitmap)) {
        if (const auto bytes = platform.files.ReadAll(bitmap)) {
            ShowIconEnlarged(Image2, kEnlargeFactor,
                             std::vector<std::uint8_t>(bytes->begin(), bytes->end()));
        }
    }
    const PathParts parts = SplitChosenPath(path);
    Text3.SetCaption(parts.folder);
    Text4.SetCaption(parts.fileName);
}

void CreatePage::Command17_Click() {
    if (Text4.Caption().empty() || Text3.Caption().empty() || Text1.Caption().empty()) {
        return;
    }
    platform::Platform& platform = main_.Platform();
    const std::wstring link =
        main_.Facts().StartupFolder + L"\\" + ShortcutNameFor(Text4.Caption()) + L".lnk";
    services::CreateLinkFile(platform.links, link, Text1.Caption(), L"", Text3.Caption(),
                             Text2.Caption(), L"");
    platform.messages.Show(main_.Text(L"CREATED"), services::kProductName,
                           platform::MessageIcon::Information, platform::MessageButtons::Ok);
    main_.Restart();
}

void CreatePage::Command15_Click() {
    main_.ShowPage(kListPage);
}

} // namespace vtrl::manager
