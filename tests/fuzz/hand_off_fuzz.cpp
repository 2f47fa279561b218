// Hand-off names and files: a name from the command line may only ever open a hand-off file in
// the data folder, a refused one touches nothing, and a written file reads back as written.

#include "fuzz_support.h"
#include "monitor/hand_off.h"
#include "services/text_file.h"

namespace {

// An accepted name is the writer's shape: digits only, never a path, stream or device.
void CheckName(const std::wstring& name) {
    if (!vtrl::monitor::IsHandOffName(name)) {
        return;
    }
    VTRL_FUZZ_CHECK(!name.empty() && name.size() <= vtrl::monitor::kHandOffNameMaxDigits);
    for (const wchar_t c : name) {
        VTRL_FUZZ_CHECK(c >= L'0' && c <= L'9');
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    vtrl::fakes::FakePlatform fake;
    const std::wstring folder = vtrl::fuzz::kDataFolder;
    fake.files.AddFolder(folder);

    // A command line as the popup process gets it, and the name it hands over.
    const std::wstring word =
        input.ConsumeBool() ? vtrl::services::kRemovalWord : vtrl::services::kReminderWord;
    const std::wstring commandLine =
        input.ConsumeBool() ? vtrl::fuzz::WideText(input, 80) : vtrl::fuzz::AnsiText(input, 80);
    const std::wstring name = vtrl::monitor::HandOffNameIn(commandLine, word);
    VTRL_FUZZ_CHECK(name.size() <= commandLine.size());
    CheckName(name);
    CheckName(commandLine);

    // The file a plain name opens, and one beside the data folder that no name may reach. (A
    // refused name gets no file: its separators would make folders inside the data folder.)
    const std::string content = input.ConsumeRandomLengthString(256);
    const bool plain = vtrl::monitor::IsHandOffName(name);
    const std::wstring path = folder + L"\\" + name;
    const std::wstring outside = L"C:\\users\\tester\\AppData\\Roaming\\victim.txt";
    if (plain) {
        fake.files.AddFile(path, content);
    }
    fake.files.AddFile(outside, "keep\r\nme\r\n");
    const std::size_t filesBefore = fake.files.FileCount();
    const auto taken =
        vtrl::monitor::TakeHandOffFile(fake.Get().files, fake.Get().locale, folder, name);
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
    VTRL_FUZZ_CHECK(vtrl::monitor::IsHandOffName(*written));
    VTRL_FUZZ_CHECK(written->find_first_not_of(L"0123456789") == std::wstring::npos);
    const auto back =
        vtrl::monitor::TakeHandOffFile(fake.Get().files, fake.Get().locale, folder, *written);
    // Names and folders of existing files never hold line breaks; other texts may not survive.
    const bool oneLineEach = handOff.folder.find_first_of(L"\r\n") == std::wstring::npos &&
                             handOff.exeName.find_first_of(L"\r\n") == std::wstring::npos;
    if (oneLineEach) {
        VTRL_FUZZ_CHECK(back == handOff);
    }
    VTRL_FUZZ_CHECK(!fake.files.FileExists(folder + L"\\" + *written) || !back.has_value());
    return 0;
}
