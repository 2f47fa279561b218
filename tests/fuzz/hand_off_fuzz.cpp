// Hand-off names and files: a name from the command line may only ever open a file directly in
// the data folder, a refused one touches nothing, and a written file reads back as written.

#include "fuzz_support.h"
#include "monitor/hand_off.h"
#include "services/text_file.h"

#include <array>
#include <string_view>

namespace {

wchar_t AsciiUpper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// The device a name opens in any folder, judged the way Windows does: the part before the first
// point with trailing blanks dropped, any case.
bool NamesDevice(const std::wstring& name) {
    std::wstring stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') {
        stem.pop_back();
    }
    for (wchar_t& c : stem) {
        c = AsciiUpper(c);
    }
    for (std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (stem == device) {
            return true;
        }
    }
    return stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) &&
           ((stem[3] >= L'1' && stem[3] <= L'9') || stem[3] == L'\u00B9' || stem[3] == L'\u00B2' ||
            stem[3] == L'\u00B3');
}

void CheckName(const std::wstring& name) {
    if (!vtrl::monitor::IsPlainHandOffName(name)) {
        return;
    }
    VTRL_FUZZ_CHECK(!name.empty());
    for (const wchar_t c : name) {
        VTRL_FUZZ_CHECK(c >= 32);
        VTRL_FUZZ_CHECK(std::wstring_view(L"\\/:*?\"<>|").find(c) == std::wstring_view::npos);
    }
    VTRL_FUZZ_CHECK(name.find(L"..") == std::wstring::npos);
    // Windows drops trailing points and blanks: something must be left of the name.
    VTRL_FUZZ_CHECK(name.find_first_not_of(L". ") != std::wstring::npos);
    VTRL_FUZZ_CHECK(!NamesDevice(name));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    vtrl::fakes::FakePlatform fake;
    const std::wstring folder = vtrl::fuzz::kDataFolder;
    fake.files.AddFolder(folder);

    // A command line as the popup process gets it, and the name it hands over.
    const std::wstring word =
        input.ConsumeBool() ? vtrl::monitor::kRemovalWord : vtrl::monitor::kReminderWord;
    const std::wstring commandLine =
        input.ConsumeBool() ? vtrl::fuzz::WideText(input, 80) : vtrl::fuzz::AnsiText(input, 80);
    const std::wstring name = vtrl::monitor::HandOffNameIn(commandLine, word);
    VTRL_FUZZ_CHECK(name.size() <= commandLine.size());
    CheckName(name);
    CheckName(commandLine);

    // The file a plain name opens, and one beside the data folder that no name may reach. (A
    // refused name gets no file: its separators would make folders inside the data folder.)
    const std::string content = input.ConsumeRandomLengthString(256);
    const bool plain = vtrl::monitor::IsPlainHandOffName(name);
    const std::wstring path = folder + L"\\" + name;
    const std::wstring outside = L"C:\\users\\tester\\AppData\\Roaming\\victim.txt";
    if (plain) {
        fake.files.AddFile(path, content);
    }
    fake.files.AddFile(outside, "keep\r\nme\r\n");
    const std::size_t filesBefore = fake.files.FileCount();
    const auto taken = vtrl::monitor::TakeHandOffFile(fake.Get(), folder, name);
    VTRL_FUZZ_CHECK(fake.files.Content(outside) == std::string("keep\r\nme\r\n"));
    if (!plain) {
        VTRL_FUZZ_CHECK(!taken.has_value());
        VTRL_FUZZ_CHECK(fake.files.FileCount() == filesBefore);
    } else {
        const std::vector<std::wstring> lines =
            vtrl::services::SplitLines(vtrl::services::DecodeText(fake.locale, content).text);
        VTRL_FUZZ_CHECK(taken.has_value() == (lines.size() >= 2));
        if (taken) {
            VTRL_FUZZ_CHECK(taken->folder == lines[0] && taken->exeName == lines[1]);
            VTRL_FUZZ_CHECK(!fake.files.FileExists(path));
        } else {
            VTRL_FUZZ_CHECK(fake.files.FileCount() == filesBefore);
        }
    }

    // What a writer hands over reads back unchanged under a plain, digits-only name.
    vtrl::monitor::HandOff handOff{vtrl::fuzz::AnsiText(input, 128),
                                   vtrl::fuzz::AnsiText(input, 64)};
    const auto written = vtrl::monitor::WriteHandOffFile(fake.Get(), folder, handOff);
    VTRL_FUZZ_CHECK(written.has_value());
    VTRL_FUZZ_CHECK(vtrl::monitor::IsPlainHandOffName(*written));
    VTRL_FUZZ_CHECK(written->find_first_not_of(L"0123456789") == std::wstring::npos);
    const auto back = vtrl::monitor::TakeHandOffFile(fake.Get(), folder, *written);
    // Names and folders of existing files never hold line breaks; other texts may not survive.
    const bool oneLineEach = handOff.folder.find_first_of(L"\r\n") == std::wstring::npos &&
                             handOff.exeName.find_first_of(L"\r\n") == std::wstring::npos;
    if (oneLineEach) {
        VTRL_FUZZ_CHECK(back == handOff);
    }
    VTRL_FUZZ_CHECK(!fake.files.FileExists(folder + L"\\" + *written) || !back.has_value());
    return 0;
}
