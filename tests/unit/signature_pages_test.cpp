// Who made a program, on the manager's pages: the list's signer line, the record page's
// signature, hash and publisher link, the publisher rules on the database page, and Windows'
// own entries kept out of the list.

#include "decisions/publisher_rules.h"

#include <algorithm>
#include "manager_window_fixture.h"

namespace vtrl::manager::testing {
namespace {

constexpr wchar_t kVendor[] = L"Vendor Ltd";

class SignaturePagesTest : public ManagerFixture {
protected:
    SignaturePagesTest() {
        AddRunRecord(L"Tool", L"C:\\Tools", L"tool.exe");
        AddRunRecord(L"Own", L"C:\\windows\\system32", L"ctfmon.exe");
        AddRunRecord(L"Script", L"C:\\windows\\system32", L"wscript.exe");
        fake.signatures.Set(L"C:\\Tools\\tool.exe", platform::kTrustOk, kVendor, L"aa11", {2, 1});
        fake.signatures.Set(L"C:\\windows\\system32\\ctfmon.exe", platform::kTrustOk,
                            L"Microsoft Windows", L"bb22", {2, 1});
        fake.signatures.Set(L"C:\\windows\\system32\\wscript.exe", platform::kTrustOk, kVendor,
                            L"cc33", {2, 1});
    }
    std::vector<std::wstring> Publishers() {
        decisions::PublisherRules rules;
        decisions::LoadPublisherRules(fake.Get().files, fake.Get().locale, facts.DataFolder, rules);
        return rules.Publishers;
    }
};

TEST_F(SignaturePagesTest, RecordPageApprovesByPublisherWithoutAnEntryOfItsOwn) {
    Main& main = Open();
    EXPECT_EQ(main.BAsign(0).Caption(), L"Verified: Vendor Ltd");
    RecordPage& page = main.recordPage;
    main.BAexe_Click(0);
    const auto lines = testing::LinesOf(page.TextFacts.Caption());
    const auto signature =
        std::find(lines.begin(), lines.end(), L"Signature: Verified: Vendor Ltd");
    ASSERT_NE(signature, lines.end()) << page.TextFacts.Caption();
    ASSERT_NE(signature + 1, lines.end());
    EXPECT_EQ(signature[1], L"SHA-256: aa11") << "the hash follows the signature";
    ASSERT_TRUE(page.LabelPublisher.Visible());
    EXPECT_EQ(page.LabelPublisher.Caption(), L"Approve everything Vendor Ltd starts");
    EXPECT_EQ(page.Option1.Value(), 1);

    page.LabelPublisher_Click();
    EXPECT_EQ(Publishers(), std::vector<std::wstring>{kVendor});
    EXPECT_FALSE(page.LabelPublisher.Visible()) << "approved already";
    EXPECT_EQ(page.Option2.Value(), 1) << "the rule's approval shows";
    const auto decisionFile = fake.files.Content(decisions::DecisionFilePath(facts.DataFolder));
    page.Command1_Click();
    EXPECT_EQ(main.CurrentPage(), kListPage);
    EXPECT_EQ(fake.files.Content(decisions::DecisionFilePath(facts.DataFolder)), decisionFile)
        << "Ok keeps the approval bound to the signature";
    EXPECT_EQ(main.BAinfo(0).Caption(), L"Approved");
    // A launcher signed by the same publisher is not approved by the rule, nor offered it.
    EXPECT_EQ(main.BAinfo(2).Caption(), L"No decision yet");
    main.BAexe_Click(2);
    EXPECT_FALSE(page.LabelPublisher.Visible());
    EXPECT_EQ(page.Option1.Value(), 1);
}

TEST_F(SignaturePagesTest, ChangedFileLosesThePublishersApproval) {
    decisions::PublisherRules rules;
    ASSERT_TRUE(decisions::AddPublisherRule(fake.Get(), facts.DataFolder, rules, kVendor));
    fake.signatures.Set(L"C:\\Tools\\tool.exe", platform::kTrustBadDigest, kVendor, L"dd44",
                        {2, 9});
    Main& main = Open();
    EXPECT_EQ(main.BAsign(0).Caption(), L"Not verified") << "the reason is on the record page";
    EXPECT_EQ(main.BAinfo(0).Caption(), L"No decision yet");
    main.BAexe_Click(0);
    EXPECT_NE(main.recordPage.TextFacts.Caption().find(
                  L"\r\nSignature: Not verified (the file was changed after it was signed)\r\n"),
              std::wstring::npos)
        << main.recordPage.TextFacts.Caption();
    main.ShowPage(kListPage);
    EXPECT_EQ(main.BAinfo(0).Caption(), L"No decision yet");
    main.BAexe_Click(0);
    EXPECT_FALSE(main.recordPage.LabelPublisher.Visible());
    EXPECT_EQ(main.recordPage.Option1.Value(), 1);
}

TEST_F(SignaturePagesTest, DatabasePageListsAndRemovesPublishers) {
    decisions::PublisherRules rules;
    ASSERT_TRUE(decisions::AddPublisherRule(fake.Get(), facts.DataFolder, rules, kVendor));
    ASSERT_TRUE(decisions::AddPublisherRule(fake.Get(), facts.DataFolder, rules, L"Other"));
    Main& main = Open();
    main.Label21_Click();
    DatabasePage& page = main.databasePage;
    EXPECT_TRUE(page.List3.Items().empty()) << "the black list first";
    page.OptionPublishers.SetValue(1);
    page.FillDatabaseLists();
    EXPECT_EQ(page.List3.Items(), (std::vector<std::wstring>{kVendor, L"Other"}));
    page.List3.SetListIndex(1);
    fake.messages.answers.push_back(platform::MessageAnswer::Yes);
    page.Command13_Click();
    EXPECT_EQ(page.List3.Items(), std::vector<std::wstring>{kVendor});
    EXPECT_EQ(Publishers(), std::vector<std::wstring>{kVendor});
}

TEST_F(SignaturePagesTest, HidingWindowsOwnEntriesClosesTheGap) {
    Main& main = Open();
    ASSERT_EQ(main.RowCount(), 3);
    const std::wstring third = main.BAexe(2).Caption();
    main.CheckHideWindows.SetValue(1);
    main.CheckHideWindows_Click();
    EXPECT_EQ(Setting(services::kHideWindowsKey), L"YES");
    EXPECT_EQ(main.BAexe(1).Caption(), third) << "signed by another publisher: moves up";
    EXPECT_EQ(main.RecordInView(1), 2);
    EXPECT_FALSE(main.BAexe(2).Visible());
    EXPECT_FALSE(main.BAsign(2).Visible());
    EXPECT_FALSE(main.BAplace(2).Visible());
    main.CheckHideWindows.SetValue(0);
    main.CheckHideWindows_Click();
    EXPECT_EQ(Setting(services::kHideWindowsKey), L"");
    EXPECT_EQ(main.BAexe(1).Caption(), L"CTFMON.EXE");
    EXPECT_TRUE(main.BAexe(2).Visible());
    EXPECT_EQ(main.BAexe(2).Caption(), third);
}

} // namespace
} // namespace vtrl::manager::testing
