#include "decisions/record_copy.h"

#include "decisions/data_file.h"

#include <cwchar>

namespace vtrl::decisions {

namespace {

// The file: this mark, a format number, then the fields in order. A text or the data is a
// 32-bit little-endian byte count followed by its bytes (texts in UTF-16LE, so every character a
// name can hold comes back); a number is 32 bits little-endian. Nothing may follow the data.
constexpr std::string_view kCopyMark = "VTRLCOPY";
constexpr std::uint32_t kCopyFormat = 1;
// Room for the texts beside the largest data a copy holds.
constexpr std::uint64_t kMaxCopyFileBytes = kMaxRecordCopyBytes + 1024 * 1024;

void PutNumber(std::string& out, std::uint32_t number) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((number >> shift) & 0xFF));
    }
}

void PutBytes(std::string& out, std::string_view bytes) {
    PutNumber(out, static_cast<std::uint32_t>(bytes.size()));
    out.append(bytes);
}

void PutText(std::string& out, const std::wstring& text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (const wchar_t unit : text) {
        const auto value = static_cast<std::uint16_t>(unit);
        bytes.push_back(static_cast<char>(value & 0xFF));
        bytes.push_back(static_cast<char>(value >> 8));
    }
    PutBytes(out, bytes);
}

// Reads the fields front to back; once a read fails every later one fails too.
class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : rest_(bytes) {}

    std::optional<std::uint32_t> Number() {
        if (rest_.size() < 4) {
            return std::nullopt;
        }
        std::uint32_t number = 0;
        for (int index = 3; index >= 0; --index) {
            number =
                (number << 8) | static_cast<unsigned char>(rest_[static_cast<std::size_t>(index)]);
        }
        rest_.remove_prefix(4);
        return number;
    }
    std::optional<std::string_view> Bytes() {
        const auto size = Number();
        if (!size || *size > rest_.size()) {
            rest_ = {};
            return std::nullopt;
        }
        const std::string_view bytes = rest_.substr(0, *size);
        rest_.remove_prefix(*size);
        return bytes;
    }
    std::optional<std::wstring> Text() {
        const auto bytes = Bytes();
        if (!bytes || bytes->size() % 2 != 0) {
            return std::nullopt;
        }
        std::wstring text;
        text.reserve(bytes->size() / 2);
        for (std::size_t index = 0; index < bytes->size(); index += 2) {
            text.push_back(
                static_cast<wchar_t>(static_cast<unsigned char>((*bytes)[index]) |
                                     static_cast<unsigned char>((*bytes)[index + 1]) << 8));
        }
        return text;
    }
    bool AtEnd() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

// 64-bit FNV-1a over the UTF-16 units: short, stable across runs and processes.
std::uint64_t PlaceHash(const std::wstring& text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const wchar_t unit : text) {
        const auto value = static_cast<std::uint16_t>(unit);
        for (const unsigned byte : {value & 0xFFu, static_cast<unsigned>(value >> 8)}) {
            hash ^= byte;
            hash *= 1099511628211ULL;
        }
    }
    return hash;
}

std::optional<std::string> ReadCopyFile(platform::FileSystem& files, const std::wstring& path) {
    if (!files.FileExists(path)) {
        return std::nullopt;
    }
    const auto size = files.FileSize(path);
    if (!size || *size > kMaxCopyFileBytes) {
        return std::nullopt;
    }
    return files.ReadAll(path);
}

} // namespace

std::string FormatRecordCopy(const RecordCopy& copy) {
    std::string out(kCopyMark);
    PutNumber(out, kCopyFormat);
    PutText(out, copy.Kind);
    PutText(out, copy.FullLocation);
    PutText(out, copy.RemovedAt);
    PutText(out, copy.content.exactLocation);
    PutNumber(out, copy.content.valueType);
    PutNumber(out, copy.content.attributes);
    PutBytes(out, copy.content.data);
    return out;
}

std::optional<RecordCopy> ParseRecordCopy(std::string_view bytes) {
    if (bytes.substr(0, kCopyMark.size()) != kCopyMark) {
        return std::nullopt;
    }
    FieldReader reader(bytes.substr(kCopyMark.size()));
    if (reader.Number() != kCopyFormat) {
        return std::nullopt;
    }
    auto kind = reader.Text();
    auto fullLocation = reader.Text();
    auto removedAt = reader.Text();
    auto exactLocation = reader.Text();
    const auto valueType = reader.Number();
    const auto attributes = reader.Number();
    const auto data = reader.Bytes();
    if (!data || !reader.AtEnd() || !kind || !fullLocation || !removedAt || !exactLocation ||
        !valueType || !attributes) {
        return std::nullopt;
    }
    return RecordCopy{
        std::move(*kind), std::move(*fullLocation), std::move(*removedAt),
        PlaceContent{std::move(*exactLocation), *valueType, *attributes, std::string(*data)}};
}

std::wstring RecordCopyFolder(const std::wstring& dataFolder) {
    return dataFolder + L"\\" + kRecordCopyFolderName;
}

std::wstring RecordCopyPath(platform::Locale& locale, const std::wstring& dataFolder,
                            const std::wstring& kind, const std::wstring& fullLocation) {
    wchar_t name[17] = {};
    std::swprintf(name, 17, L"%016llx",
                  static_cast<unsigned long long>(
                      PlaceHash(locale.ToLower(kind) + L"\n" + locale.ToLower(fullLocation))));
    return RecordCopyFolder(dataFolder) + L"\\" + name + L".bin";
}

std::optional<RecordCopy> FindRecordCopy(platform::FileSystem& files, platform::Locale& locale,
                                         const std::wstring& dataFolder, const BackupEntry& entry) {
    const auto bytes =
        ReadCopyFile(files, RecordCopyPath(locale, dataFolder, entry.Kind, entry.FullLocation));
    if (!bytes) {
        return std::nullopt;
    }
    auto copy = ParseRecordCopy(*bytes);
    // The exact location may differ from the logged one only where the log cannot hold a
    // character (a line break, a NUL): the copy writes nowhere else than the entry names.
    if (!copy || copy->Kind != entry.Kind || copy->FullLocation != entry.FullLocation ||
        copy->RemovedAt != entry.RemovedAt ||
        locale.ToLower(AsStoredText(copy->content.exactLocation)) !=
            locale.ToLower(entry.FullLocation)) {
        return std::nullopt;
    }
    return copy;
}

std::optional<PreviousCopy> StoreRecordCopy(platform::FileSystem& files, platform::Locale& locale,
                                            const std::wstring& dataFolder,
                                            const BackupEntry& added,
                                            const std::optional<PlaceContent>& content) {
    PreviousCopy previous{RecordCopyPath(locale, dataFolder, added.Kind, added.FullLocation),
                          std::nullopt};
    previous.bytes = ReadCopyFile(files, previous.path);
    if (!content) {
        // Left behind, it names another removal and is never used; removed, it takes no room.
        if (previous.bytes) {
            files.Remove(previous.path);
        }
        return previous;
    }
    const std::wstring folder = RecordCopyFolder(dataFolder);
    if (!files.FolderExists(folder) && !files.CreateFolder(folder)) {
        return std::nullopt;
    }
    if (!files.ReplaceAll(previous.path, FormatRecordCopy({added.Kind, added.FullLocation,
                                                           added.RemovedAt, *content}))) {
        return std::nullopt;
    }
    return previous;
}

void PutBackPreviousCopy(platform::FileSystem& files, const PreviousCopy& previous) {
    if (previous.bytes) {
        files.ReplaceAll(previous.path, *previous.bytes);
    } else {
        files.Remove(previous.path);
    }
}

bool ClearRecordCopies(platform::FileSystem& files, const std::wstring& dataFolder) {
    const std::wstring folder = RecordCopyFolder(dataFolder);
    bool cleared = true;
    for (const platform::FolderEntry& entry : files.ListFolder(folder, L"*")) {
        if ((entry.attributes & platform::kAttributeDirectory) == 0 &&
            !files.Remove(folder + L"\\" + entry.name)) {
            cleared = false;
        }
    }
    return cleared;
}

} // namespace vtrl::decisions
