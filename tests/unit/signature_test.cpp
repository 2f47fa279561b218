// Who made a program: WinVerifyTrust's answers as the three states a user sees, the per-file
// cache of those checks, Windows' own entries, and the white list's publisher rules.

#include "cli/vantorelc_command.h"
#include "decisions/record_decision.h"
#include "fakes/fake_platform.h"
#include "inventory/signature_cache.h"
#include "inventory/signature_status.h"
#include "inventory/windows_own.h"
#include "services/registry_access.h"

#include <gtest/gtest.h>

namespace vtrl::inventory {
namespace {

constexpr wchar_t kDataFolder[] = L"C:\\users\\tester\\AppData\\Roaming\\VTRL1";
constexpr wchar_t kToolPath[] = L"C:\\PROGRAM FILES\\VENDOR\\tool.exe";
constexpr wchar_t kVendor[] = L"Vendor Ltd";
const std::wstring kHash(64, L'a');

TEST(SignatureStatusMapping, EachAnswerGivesItsState) {
    const auto verified =
        SignatureFromTrust(platform::TrustCheck{platform::kTrustOk, false, kVendor});
    EXPECT_EQ(verified.Status, SignatureStatus::Verified);
    EXPECT_EQ(verified.Signer, kVendor);
    EXPECT_TRUE(verified.Reason.empty());

    for (std::uint32_t none : {platform::kTrustNoSignature, platform::kTrustSubjectFormUnknown,
                               platform::kTrustProviderUnknown}) {
        const auto facts = SignatureFromTrust(platform::TrustCheck{none, false, L""});
        EXPECT_EQ(facts.Status, SignatureStatus::NotSigned) << std::hex << none;
    }

    const auto changed =
        SignatureFromTrust(platform::TrustCheck{platform::kTrustBadDigest, false, kVendor});
    EXPECT_EQ(changed.Status, SignatureStatus::NotVerified);
    EXPECT_EQ(changed.Signer, kVendor) << "who claims it is still worth showing";
    EXPECT_EQ(changed.Reason, L"the file was changed after it was signed");
    EXPECT_EQ(
        SignatureFromTrust(platform::TrustCheck{platform::kTrustUntrustedRoot, false, L""}).Reason,
        L"the certificate chain ends in an untrusted root");
    EXPECT_EQ(
        SignatureFromTrust(platform::TrustCheck{platform::kTrustCertificateExpired, false, L""})
            .Reason,
        L"the signing certificate has expired");
    const auto odd = SignatureFromTrust(platform::TrustCheck{0x80004005, false, L""});
    EXPECT_EQ(odd.Status, SignatureStatus::NotVerified) << "an unknown failure never verifies";
    EXPECT_EQ(odd.Reason, L"error 0x80004005");

    const auto unreadable = SignatureFromTrust(std::nullopt);
    EXPECT_EQ(unreadable.Status, SignatureStatus::NotVerified);
    EXPECT_EQ(unreadable.Reason, L"the file could not be read");
}

TEST(SignatureStatusMapping, TextsInTheGivenWords) {
    SignatureFacts facts;
    facts.Status = SignatureStatus::Verified;
    facts.Signer = kVendor;
    EXPECT_EQ(SignatureText(facts, {}), L"Verified: Vendor Ltd");
    EXPECT_EQ(SignatureText(facts, {L"Geverifieerd:", L"x", L"y"}), L"Geverifieerd: Vendor Ltd");
    facts.Status = SignatureStatus::NotVerified;
    facts.Reason = L"the signing certificate has expired";
    EXPECT_EQ(SignatureText(facts, {}), L"Not verified (the signing certificate has expired)");
    facts.Status = SignatureStatus::NotSigned;
    EXPECT_EQ(SignatureText(facts, {}), L"Not signed");
}

class SignatureCacheTest : public ::testing::Test {
protected:
    SignatureCacheTest() {
        fake.files.AddFolder(kDataFolder);
        fake.signatures.Set(kToolPath, platform::kTrustOk, kVendor, kHash, {1000, 77});
    }
    // A fresh inventory, as every scan starts with, holding the given programs.
    StartupInventory Scan(std::vector<std::wstring> paths, bool save = true) {
        StartupInventory inventory;
        inventory.Records.resize(std::max(inventory.Records.size(), paths.size()));
        for (std::size_t i = 0; i < paths.size(); ++i) {
            auto& record = inventory.Records[i];
            record.InUse = true;
            const auto cut = paths[i].rfind(L'\\');
            record.ExeFolder = paths[i].substr(0, cut);
            record.ExeName = paths[i].substr(cut + 1);
        }
        inventory.LastRecordIndex = static_cast<int>(paths.size()) - 1;
        CheckSignatures(fake.Get(), kDataFolder, inventory, save);
        return inventory;
    }
    fakes::FakePlatform fake;
};

TEST_F(SignatureCacheTest, UnchangedFileIsNotCheckedAgain) {
    const auto first = Scan({kToolPath, L"c:\\program files\\vendor\\TOOL.EXE"});
    EXPECT_EQ(fake.signatures.trustChecks, 1) << "the same file twice is checked once";
    EXPECT_EQ(fake.signatures.hashes, 1);
    EXPECT_EQ(first.Records[0].Signature.Status, SignatureStatus::Verified);
    EXPECT_EQ(first.Records[1].Signature, first.Records[0].Signature);
    EXPECT_EQ(first.Records[0].Signature.Sha256, kHash);
    ASSERT_TRUE(fake.files.Content(SignatureCachePath(kDataFolder)));

    // Another process (the agent) with nothing in memory: the file answers.
    const auto second = Scan({kToolPath});
    EXPECT_EQ(fake.signatures.trustChecks, 1);
    EXPECT_EQ(fake.signatures.hashes, 1);
    EXPECT_EQ(second.Records[0].Signature, first.Records[0].Signature);
}

TEST_F(SignatureCacheTest, AProgramThatLeavesAndComesBackIsNotCheckedAgain) {
    const std::wstring other = L"C:\\TOOLS\\other.exe";
    const std::wstring third = L"C:\\TOOLS\\third.exe";
    fake.signatures.Set(other, platform::kTrustNoSignature, L"", L"dd", {10, 1});
    fake.signatures.Set(third, platform::kTrustNoSignature, L"", L"ee", {20, 1});
    Scan({kToolPath, other});
    const auto written = fake.files.Content(SignatureCachePath(kDataFolder));
    Scan({kToolPath});
    EXPECT_EQ(fake.files.Content(SignatureCachePath(kDataFolder)), written)
        << "a scan that checked nothing new writes nothing";
    // A scan that checks a new file rewrites the cache, and keeps the one it did not see.
    Scan({kToolPath, third});
    Scan({kToolPath, other});
    EXPECT_EQ(fake.signatures.trustChecks, 3) << "each file once, however often it comes back";
}

TEST_F(SignatureCacheTest, ChangedSizeOrTimeIsCheckedAgain) {
    Scan({kToolPath});
    // Same size, new time: a file replaced by one of equal length.
    fake.signatures.Set(kToolPath, platform::kTrustBadDigest, kVendor, L"bb", {1000, 78});
    auto inventory = Scan({kToolPath});
    EXPECT_EQ(fake.signatures.trustChecks, 2);
    EXPECT_EQ(inventory.Records[0].Signature.Status, SignatureStatus::NotVerified);
    EXPECT_EQ(inventory.Records[0].Signature.Sha256, L"bb");
    // Same time, new size.
    fake.signatures.Set(kToolPath, platform::kTrustNoSignature, L"", L"cc", {1001, 78});
    inventory = Scan({kToolPath});
    EXPECT_EQ(fake.signatures.trustChecks, 3);
    EXPECT_EQ(inventory.Records[0].Signature.Status, SignatureStatus::NotSigned);
}

TEST_F(SignatureCacheTest, ReadersAndUnreadableFilesLeaveNoEntry) {
    Scan({kToolPath}, false);
    EXPECT_FALSE(fake.files.Content(SignatureCachePath(kDataFolder))) << "a reader writes nothing";
    // A file the platform cannot check: not verified, and asked again next time.
    const std::wstring locked = L"C:\\TOOLS\\locked.exe";
    fake.signatures.files[fakes::FoldCase(locked)] = {std::nullopt, std::nullopt,
                                                      platform::FileStamp{5, 5}};
    const auto inventory = Scan({locked});
    EXPECT_EQ(inventory.Records[0].Signature.Status, SignatureStatus::NotVerified);
    Scan({locked});
    EXPECT_EQ(fake.signatures.trustChecks, 3) << "the tool once, the locked file at each scan";
}

TEST_F(SignatureCacheTest, DamagedEntriesAreLeftOut) {
    const std::vector<CachedSignature> entries = {
        {kToolPath, {1000, 77}, platform::kTrustOk, kVendor, kHash},
        {L"C:\\B\\b.exe", {1, 2}, platform::kTrustBadDigest, L"", L""}};
    auto lines = FormatSignatureCache(entries);
    EXPECT_EQ(ParseSignatureCache(lines), entries);
    lines[kSignatureCacheEntryLines + 1] = L"12x"; // the second entry's size
    lines.pop_back();                              // and a short last entry
    EXPECT_EQ(ParseSignatureCache(lines), std::vector<CachedSignature>{entries[0]});
}

TEST(WindowsOwnPrograms, OnlyVerifiedMicrosoftFilesInTheWindowsFolder) {
    fakes::FakePlatform fake;
    StartupRecord record;
    record.ExeFolder = L"C:\\WINDOWS\\SYSTEM32";
    record.ExeName = L"ctfmon.exe";
    record.Signature = {SignatureStatus::Verified, L"Microsoft Windows", L"", kHash};
    EXPECT_TRUE(IsWindowsOwnProgram(fake.locale, L"C:\\windows", record));
    record.ExeFolder = L"C:\\WINDOWS";
    EXPECT_TRUE(IsWindowsOwnProgram(fake.locale, L"C:\\windows", record));
    record.ExeFolder = L"C:\\WINDOWSAPPS";
    EXPECT_FALSE(IsWindowsOwnProgram(fake.locale, L"C:\\windows", record));
    record.ExeFolder = L"C:\\WINDOWS\\SYSTEM32";
    record.Signature.Status = SignatureStatus::NotVerified;
    EXPECT_FALSE(IsWindowsOwnProgram(fake.locale, L"C:\\windows", record))
        << "a changed Windows file stays in sight";
    record.Signature.Status = SignatureStatus::Verified;
    record.Signature.Signer = kVendor;
    EXPECT_FALSE(IsWindowsOwnProgram(fake.locale, L"C:\\windows", record));
    record.Signature.Signer = L"Microsoft Corporation";
    EXPECT_TRUE(IsWindowsOwnProgram(fake.locale, L"C:\\windows", record));
    record.ExeFolder = L"C:\\PROGRAM FILES\\MICROSOFT";
    EXPECT_FALSE(IsWindowsOwnProgram(fake.locale, L"C:\\windows", record));
}

TEST(HideWindowsOption, OnlyForListAndOnlyOnce) {
    EXPECT_TRUE(cli::ParseArguments({L"list", L"--hide-windows"})->hideWindows);
    EXPECT_FALSE(cli::ParseArguments({L"list"})->hideWindows);
    const auto both = cli::ParseArguments({L"list", L"--json", L"--hide-windows"});
    ASSERT_TRUE(both);
    EXPECT_EQ(both->format, cli::OutputFormat::Json);
    EXPECT_TRUE(both->hideWindows);
    EXPECT_FALSE(cli::ParseArguments({L"decisions", L"--hide-windows"}));
    EXPECT_FALSE(cli::ParseArguments({L"list", L"--hide-windows", L"--hide-windows"}));
}

TEST(HideWindowsOption, ListLeavesOutOnlyVerifiedWindowsFiles) {
    fakes::FakePlatform fake;
    constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    ASSERT_TRUE(fake.registry.CreateKey(platform::Hive::CurrentUser, kRun));
    const std::pair<const wchar_t*, const wchar_t*> entries[] = {
        {L"Own", L"C:\\windows\\system32\\ctfmon.exe"},
        {L"Changed", L"C:\\windows\\system32\\changed.exe"},
        {L"Vendor", L"C:\\Tools\\tool.exe"}};
    for (const auto& [name, path] : entries) {
        fake.files.AddFile(path, "MZ");
        ASSERT_TRUE(fake.registry.SetValue(platform::Hive::CurrentUser, kRun, name,
                                           {platform::kRegSz, services::EncodeRegSz(path)}));
    }
    fake.signatures.Set(L"C:\\windows\\system32\\ctfmon.exe", platform::kTrustOk,
                        L"Microsoft Windows", L"aa", {2, 1});
    fake.signatures.Set(L"C:\\windows\\system32\\changed.exe", platform::kTrustBadDigest,
                        L"Microsoft Windows", L"bb", {2, 1});
    fake.signatures.Set(L"C:\\Tools\\tool.exe", platform::kTrustOk, L"Microsoft Corporation", L"cc",
                        {2, 1});
    const auto names = [&](std::vector<std::wstring> arguments) {
        const auto result = cli::RunVantorelc(fake.Get(), arguments);
        EXPECT_EQ(result.exitCode, cli::kExitOk) << result.standardError;
        std::string found;
        for (const char* name : {"Own", "Changed", "Vendor"}) {
            if (result.standardOutput.find(std::string("\"EntryName\": \"") + name + "\"") !=
                std::string::npos) {
                found += std::string(found.empty() ? "" : ",") + name;
            }
        }
        return found;
    };
    EXPECT_EQ(names({L"list", L"--json"}), "Own,Changed,Vendor");
    EXPECT_EQ(names({L"list", L"--json", L"--hide-windows"}), "Changed,Vendor");
}

} // namespace
} // namespace vtrl::inventory

namespace vtrl::decisions {
namespace {

constexpr wchar_t kDataFolder[] = L"C:\\users\\tester\\AppData\\Roaming\\VTRL1";

class PublisherRulesTest : public ::testing::Test {
protected:
    PublisherRulesTest() {
        fake.files.AddFolder(kDataFolder);
        record.ExeFolder = L"C:\\PROGRAM FILES\\VENDOR";
        record.ExeName = L"tool.exe";
        record.Signature = {inventory::SignatureStatus::Verified, L"Vendor Ltd", L"", L"aa"};
        LoadDecisions(fake.Get().files, fake.Get().locale, kDataFolder, decisions);
    }
    std::wstring StatusOf(inventory::StartupRecord r) {
        return LookupRecordDecision(fake.locale, decisions, rules, r).Status;
    }
    fakes::FakePlatform fake;
    Decisions decisions;
    PublisherRules rules;
    inventory::StartupRecord record;
};

TEST_F(PublisherRulesTest, StoredBesideTheDecisionsAndRemovable) {
    ASSERT_TRUE(SaveDecision(fake.Get(), kDataFolder, decisions, L"c:\\a", L"a.exe", L"", false,
                             false, kStatusRestricted));
    const auto decisionFile = fake.files.Content(DecisionFilePath(kDataFolder));
    ASSERT_TRUE(AddPublisherRule(fake.Get(), kDataFolder, rules, L"Vendor Ltd"));
    ASSERT_TRUE(AddPublisherRule(fake.Get(), kDataFolder, rules, L"Other Inc"));
    ASSERT_TRUE(AddPublisherRule(fake.Get(), kDataFolder, rules, L"Vendor Ltd"));
    EXPECT_EQ(fake.files.Content(DecisionFilePath(kDataFolder)), decisionFile)
        << "the 11-line entries are not touched";
    EXPECT_EQ(fake.files.Content(PublisherRulesPath(kDataFolder)), "Vendor Ltd\r\nOther Inc\r\n");

    PublisherRules loaded;
    LoadPublisherRules(fake.Get().files, fake.Get().locale, kDataFolder, loaded);
    EXPECT_EQ(loaded, rules);
    ASSERT_TRUE(RemovePublisherRule(fake.Get(), kDataFolder, rules, L"Vendor Ltd"));
    EXPECT_EQ(rules.Publishers, std::vector<std::wstring>{L"Other Inc"});
    EXPECT_EQ(fake.files.Content(PublisherRulesPath(kDataFolder)), "Other Inc\r\n");
}

TEST_F(PublisherRulesTest, WriterTurnTakenElsewhereChangesNothing) {
    fake.locks.heldElsewhere.insert(fakes::FoldCase(kDataFolder));
    EXPECT_EQ(AddPublisherRule(fake.Get(), kDataFolder, rules, L"Vendor Ltd").outcome,
              StoreOutcome::Busy);
    EXPECT_FALSE(fake.files.Content(PublisherRulesPath(kDataFolder)));
    EXPECT_TRUE(rules.Publishers.empty());
}

TEST_F(PublisherRulesTest, ApprovesOnlyVerifiedNonLaunchers) {
    EXPECT_EQ(StatusOf(record), kStatusNoDecision);
    ASSERT_TRUE(AddPublisherRule(fake.Get(), kDataFolder, rules, L"Vendor Ltd"));
    EXPECT_EQ(StatusOf(record), kStatusApproved);

    auto tampered = record;
    tampered.Signature.Status = inventory::SignatureStatus::NotVerified;
    tampered.Signature.Reason = L"the file was changed after it was signed";
    EXPECT_EQ(StatusOf(tampered), kStatusNoDecision) << "a changed file loses the approval";

    for (const wchar_t* launcher : {L"rundll32.exe", L"wscript.exe", L"cscript.exe", L"mshta.exe",
                                    L"cmd.exe", L"powershell.exe", L"regsvr32.exe"}) {
        auto launched = record;
        launched.ExeFolder = L"C:\\WINDOWS\\SYSTEM32";
        launched.ExeName = launcher;
        EXPECT_EQ(StatusOf(launched), kStatusNoDecision) << launcher;
    }
    auto other = record;
    other.Signature.Signer = L"Vendor Ltd.";
    EXPECT_EQ(StatusOf(other), kStatusNoDecision) << "signer names match exactly";

    ASSERT_TRUE(SaveDecision(fake.Get(), kDataFolder, decisions, record.ExeFolder, record.ExeName,
                             L"", true, true, kStatusRestricted));
    const auto own = LookupRecordDecision(fake.locale, decisions, rules, record);
    EXPECT_EQ(own.Status, kStatusRestricted) << "the record's own decision wins";
    EXPECT_TRUE(own.DeleteRecord);
}

} // namespace
} // namespace vtrl::decisions
