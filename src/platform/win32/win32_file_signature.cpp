#include "platform/win32/win32_file_signature.h"

#include "platform/win32/unique_handle.h"

// In this order: the build leaves wincrypt.h out of windows.h (WIN32_LEAN_AND_MEAN), and the
// trust and catalog headers need its types.
#include <windows.h>

#include <wincrypt.h>

#include <wintrust.h>

#include <bcrypt.h>
#include <mscat.h>
#include <softpub.h>

#include <array>
#include <vector>

namespace vtrl::win32 {

namespace {

struct CatalogAdminTraits {
    using pointer = HCATADMIN;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer admin) noexcept { CryptCATAdminReleaseContext(admin, 0); }
};
using unique_catalog_admin = unique_handle<CatalogAdminTraits>;

struct AlgorithmTraits {
    using pointer = BCRYPT_ALG_HANDLE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer algorithm) noexcept { BCryptCloseAlgorithmProvider(algorithm, 0); }
};
using unique_algorithm = unique_handle<AlgorithmTraits>;

struct HashTraits {
    using pointer = BCRYPT_HASH_HANDLE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer hash) noexcept { BCryptDestroyHash(hash); }
};
using unique_hash = unique_handle<HashTraits>;

// A catalog context belongs to the administrator context it came from.
class CatalogInfo {
public:
    CatalogInfo(HCATADMIN admin, HCATINFO info) : admin_(admin), info_(info) {}
    ~CatalogInfo() {
        if (info_ != nullptr) {
            CryptCATAdminReleaseCatalogContext(admin_, info_, 0);
        }
    }
    CatalogInfo(const CatalogInfo&) = delete;
    CatalogInfo& operator=(const CatalogInfo&) = delete;
    HCATINFO get() const { return info_; }

private:
    HCATADMIN admin_;
    HCATINFO info_;
};

unique_file OpenForReading(const std::wstring& path) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos) {
        return unique_file{};
    }
    return unique_file{CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
}

std::wstring SignerName(HANDLE stateData) {
    CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(stateData);
    if (provider == nullptr) {
        return {};
    }
    CRYPT_PROVIDER_SGNR* signer = WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
    if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain == nullptr ||
        signer->pasCertChain[0].pCert == nullptr) {
        return {};
    }
    PCCERT_CONTEXT certificate = signer->pasCertChain[0].pCert;
    const DWORD length =
        CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
    if (length <= 1) {
        return {};
    }
    std::wstring name(length, L'\0');
    CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(), length);
    name.resize(length - 1);
    return name;
}

// One WinVerifyTrust call with the generic action; the state is kept only to read the signer
// and is always closed again.
platform::TrustCheck Verify(WINTRUST_DATA& data) {
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    // Revocation would go to the network for every file; the scan must stay offline and quick.
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
    const LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    platform::TrustCheck check;
    check.result = static_cast<std::uint32_t>(result);
    if (data.hWVTStateData != nullptr) {
        check.signer = SignerName(data.hWVTStateData);
        data.dwStateAction = WTD_STATEACTION_CLOSE;
        WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    }
    return check;
}

platform::TrustCheck VerifyEmbedded(const std::wstring& path, HANDLE file) {
    WINTRUST_FILE_INFO fileInfo{};
    fileInfo.cbStruct = sizeof(fileInfo);
    fileInfo.pcwszFilePath = path.c_str();
    fileInfo.hFile = file;
    WINTRUST_DATA data{};
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    return Verify(data);
}

// The catalog's member tags are upper-case hex; SHA-256 is shown in lower case.
std::wstring Hex(const BYTE* bytes, std::size_t count, bool upper) {
    const wchar_t* digits = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
    std::wstring text;
    for (std::size_t index = 0; index < count; ++index) {
        text += digits[bytes[index] >> 4];
        text += digits[bytes[index] & 0x0F];
    }
    return text;
}

// Most of Windows' own files carry no signature of their own: a catalog in the system's
// catalog database lists their hash and is signed instead.
std::optional<platform::TrustCheck> VerifyByCatalog(const std::wstring& path, HANDLE file) {
    unique_catalog_admin admin;
    GUID driverAction = DRIVER_ACTION_VERIFY;
    if (!CryptCATAdminAcquireContext(admin.put(), &driverAction, 0)) {
        return std::nullopt;
    }
    DWORD hashSize = 0;
    CryptCATAdminCalcHashFromFileHandle(file, &hashSize, nullptr, 0);
    if (hashSize == 0) {
        return std::nullopt;
    }
    std::vector<BYTE> hash(hashSize);
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    if (!CryptCATAdminCalcHashFromFileHandle(file, &hashSize, hash.data(), 0)) {
        return std::nullopt;
    }
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    CatalogInfo catalog(admin.get(), CryptCATAdminEnumCatalogFromHash(admin.get(), hash.data(),
                                                                      hashSize, 0, nullptr));
    if (catalog.get() == nullptr) {
        return std::nullopt;
    }
    CATALOG_INFO info{};
    info.cbStruct = sizeof(info);
    if (!CryptCATCatalogInfoFromContext(catalog.get(), &info, 0)) {
        return std::nullopt;
    }
    const std::wstring memberTag = Hex(hash.data(), hash.size(), true);
    WINTRUST_CATALOG_INFO catalogInfo{};
    catalogInfo.cbStruct = sizeof(catalogInfo);
    catalogInfo.pcwszCatalogFilePath = info.wszCatalogFile;
    catalogInfo.pcwszMemberFilePath = path.c_str();
    catalogInfo.pcwszMemberTag = memberTag.c_str();
    catalogInfo.hMemberFile = file;
    catalogInfo.pbCalculatedFileHash = hash.data();
    catalogInfo.cbCalculatedFileHash = hashSize;
    WINTRUST_DATA data{};
    data.dwUnionChoice = WTD_CHOICE_CATALOG;
    data.pCatalog = &catalogInfo;
    platform::TrustCheck check = Verify(data);
    check.viaCatalog = true;
    return check;
}

} // namespace

std::optional<platform::TrustCheck> Win32FileSignatures::CheckTrust(const std::wstring& path) {
    unique_file file = OpenForReading(path);
    if (!file) {
        return std::nullopt;
    }
    platform::TrustCheck embedded = VerifyEmbedded(path, file.get());
    if (!platform::IsUnsignedAnswer(embedded.result)) {
        return embedded;
    }
    SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);
    if (auto byCatalog = VerifyByCatalog(path, file.get())) {
        return byCatalog;
    }
    return embedded;
}

std::optional<std::wstring> Win32FileSignatures::Sha256(const std::wstring& path) {
    unique_file file = OpenForReading(path);
    if (!file) {
        return std::nullopt;
    }
    unique_algorithm algorithm;
    if (!BCRYPT_SUCCESS(
            BCryptOpenAlgorithmProvider(algorithm.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
        return std::nullopt;
    }
    unique_hash hash;
    if (!BCRYPT_SUCCESS(BCryptCreateHash(algorithm.get(), hash.put(), nullptr, 0, nullptr, 0, 0))) {
        return std::nullopt;
    }
    std::vector<UCHAR> buffer(1 << 16);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                      nullptr)) {
            return std::nullopt;
        }
        if (read == 0) {
            break;
        }
        if (!BCRYPT_SUCCESS(BCryptHashData(hash.get(), buffer.data(), read, 0))) {
            return std::nullopt;
        }
    }
    std::array<UCHAR, 32> digest{};
    if (!BCRYPT_SUCCESS(
            BCryptFinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0))) {
        return std::nullopt;
    }
    return Hex(digest.data(), digest.size(), false);
}

std::optional<platform::FileStamp> Win32FileSignatures::Stamp(const std::wstring& path) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos) {
        return std::nullopt;
    }
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes) ||
        (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    platform::FileStamp stamp;
    stamp.size =
        (static_cast<std::uint64_t>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
    stamp.lastWrite =
        (static_cast<std::uint64_t>(attributes.ftLastWriteTime.dwHighDateTime) << 32) |
        attributes.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

} // namespace vtrl::win32
