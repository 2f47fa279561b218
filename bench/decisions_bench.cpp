// Times the decision file on real files: LoadDecisions, and SaveDecision with the whole-file
// rewrite it does, at the table's initial 1,113 slots and at 10,000 entries. Beside each, in the
// same process and alternately, plain Win32 calls on a file of the same bytes: a read with the
// same code-page conversion and line splitting, and a write through a flushed temporary file and
// one replacing move (what every rewrite of a data file must do), and, for scale, a bare
// overwrite. The save's rewrite is also timed alone, to tell it from the key search. Run it in a
// throw-away prefix (bench/run.sh).

#include "decisions/decision_database.h"
#include "alternate.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "services/system_facts.h"
#include "services/text_file.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace vtrl;

constexpr int kRounds = 15;

std::wstring Numbered(const wchar_t* format, int n) {
    wchar_t text[128];
    std::swprintf(text, 128, format, n);
    return text;
}

// A table of distinct keys shaped like real ones: a program folder, an executable, arguments.
decisions::Decisions MakeTable(int entries) {
    decisions::Decisions table;
    table.DecisionTable.resize(
        std::max<std::size_t>(table.DecisionTable.size(), static_cast<std::size_t>(entries)));
    for (int n = 0; n < entries; ++n) {
        table.DecisionTable[static_cast<std::size_t>(n)] = {
            true,
            Numbered(L"c:\\program files\\vendor %05d\\bin", n),
            Numbered(L"tool%05d.exe", n),
            Numbered(L"/background /id %d", n),
            n % 3 == 0,
            n % 5 == 0,
            n % 4 == 0 ? decisions::kStatusRestricted : decisions::kStatusApproved};
    }
    table.DecisionLastIndex = entries - 1;
    return table;
}

// The file's lines with plain calls: one read, the same conversion, the same splitting.
std::size_t RawRead(const std::wstring& path) {
    win32::unique_file file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) {
        return 0;
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        return 0;
    }
    const int input = static_cast<int>(read);
    std::wstring text(static_cast<std::size_t>(input), L'\0');
    text.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), input, text.data(), input)));
    return services::SplitLines(text).size();
}

bool WriteBytes(const std::wstring& path, std::string_view bytes, bool flush) {
    win32::unique_file file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size() && (!flush || FlushFileBuffers(file.get()));
}

// The same bytes the way a data file must be rewritten: a flushed temporary file beside it,
// then one move over the original.
bool RawReplace(const std::wstring& path, std::string_view bytes) {
    const std::wstring temporary = path + L".~raw";
    return WriteBytes(temporary, bytes, true) &&
           MoveFileExW(temporary.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

void PrintRow(const char* what, int entries, std::size_t bytes, const bench::Timings& timings) {
    const double measured = timings.Median(0);
    const double beside = timings.Median(1);
    const double ratio = timings.Ratio(0, 1);
    std::printf("  %s: %.2f ms, raw %.2f ms, ratio %.2f\n", what, measured, beside, ratio);
    std::printf("SUMMARY|decision %s vs raw, %d entries (%zu KB)|%.2f ms|%.2f ms|%.2f\n", what,
                entries, bytes / 1024, measured, beside, ratio);
}

bool Measure(platform::Platform& platform, const std::wstring& folder, int entries) {
    const std::wstring path = decisions::DecisionFilePath(folder);
    decisions::Decisions table = MakeTable(entries);
    if (!services::WriteTextLines(platform.files, platform.locale, path,
                                  decisions::FormatDecisionLines(table))) {
        std::fputs("could not write the decision file\n", stderr);
        return false;
    }
    const std::string bytes = platform.files.ReadAll(path).value_or(std::string());

    decisions::Decisions loaded;
    std::size_t rawLines = 0;
    const auto load = bench::Alternate(
        kRounds,
        {[&] { decisions::LoadDecisions(platform.files, platform.locale, folder, loaded); },
         [&] { rawLines = RawRead(path); }});

    // One decision changed in the middle of the table, as a click on a record page does; the
    // status flips each round so that every save really changes a byte.
    const decisions::DecisionEntry middle =
        loaded.DecisionTable[static_cast<std::size_t>(entries / 2)];
    bool restricted = false;
    bool saved = true;
    bool replaced = true;
    const auto save = bench::Alternate(
        kRounds, {[&] {
                      restricted = !restricted;
                      saved = decisions::SaveDecision(platform, folder, loaded, middle.ExeFolder,
                                                      middle.ExeName, middle.Arguments,
                                                      middle.KillIfRunning, middle.DeleteRecord,
                                                      restricted ? decisions::kStatusRestricted
                                                                 : decisions::kStatusApproved) &&
                              saved;
                  },
                  [&] { replaced = RawReplace(path, bytes) && replaced; },
                  [&] { replaced = WriteBytes(path, bytes, false) && replaced; },
                  // The whole-file rewrite alone, without the key search before it.
                  [&] {
                      saved = services::WriteTextLines(platform.files, platform.locale, path,
                                                       decisions::FormatDecisionLines(loaded)) &&
                              saved;
                  }});

    const bool whole =
        loaded.DecisionLastIndex + 1 == entries &&
        rawLines == static_cast<std::size_t>(entries) * decisions::kDecisionEntryLines && saved &&
        replaced;
    std::printf("%d entries, %zu bytes (loaded %d entries, raw %zu lines), median of %d rounds:\n",
                entries, bytes.size(), loaded.DecisionLastIndex + 1, rawLines, kRounds);
    PrintRow("load", entries, bytes.size(), load);
    PrintRow("save", entries, bytes.size(), save);
    std::printf("  of the save, the whole-file rewrite alone (format, convert, replace): %.2f ms; "
                "a bare overwrite of the same bytes (no temporary file, no flush): %.2f ms\n",
                save.Median(3), save.Median(2));
    platform.files.Remove(path);
    return whole;
}

} // namespace

int wmain() {
    win32::ComApartment com;
    win32::Win32Platform real;
    platform::Platform& platform = real.Get();
    const services::SystemFacts facts =
        services::FrameworkStartup(platform, {.createDataFolder = false});
    // A folder of its own, so that the program's own decision file is never touched.
    const std::wstring folder = facts.TempFolder + L"\\vtrl-decisions-bench";
    if (!platform.files.CreateFolder(folder)) {
        std::fputs("could not make the bench folder\n", stderr);
        return 1;
    }
    bool ok = true;
    for (const int entries : {static_cast<int>(decisions::kInitialDecisionSlots), 10000}) {
        ok = Measure(platform, folder, entries) && ok;
    }
    RemoveDirectoryW(folder.c_str());
    return ok ? 0 : 1;
}
