#include "shell/dispatch.h"

#include <gtest/gtest.h>

namespace vtrl::shell {
namespace {

// The program's full mode table with recording actions, so that the dispatch rules are tested
// on the words and continuations the entry uses.
class DispatchTest : public ::testing::Test {
protected:
    DispatchTest() {
        const struct {
            const wchar_t* word;
            MatchTest test;
            AfterStep after;
        } rows[] = {
            {L"lang", MatchTest::Equal, AfterStep::Returns},
            {L"subscribe", MatchTest::Equal, AfterStep::Returns},
            {L"updates", MatchTest::Equal, AfterStep::Ends},
            {L"install", MatchTest::Equal, AfterStep::Ends},
            {L"uninstall", MatchTest::Equal, AfterStep::Ends},
            {L"vexo", MatchTest::Equal, AfterStep::Ends},
            {L"notifi", MatchTest::Contains, AfterStep::GoesOn},
            {L"unknown", MatchTest::Contains, AfterStep::GoesOn},
            {L"startup", MatchTest::Equal, AfterStep::Returns},
            {L"", MatchTest::Equal, AfterStep::GoesOn},
            {L"preopen", MatchTest::Contains, AfterStep::Returns},
        };
        for (const auto& row : rows) {
            const std::wstring word = row.word;
            steps.push_back({word, row.test, row.after, [this, word](const std::wstring&) {
                                 ran.push_back(word.empty() ? L"<empty>" : word);
                             }});
        }
    }

    DispatchOutcome Run(const std::wstring& commandLine) {
        ran.clear();
        return Dispatch(steps, commandLine);
    }

    std::vector<DispatchStep> steps;
    std::vector<std::wstring> ran;
};

TEST_F(DispatchTest, ExactWordsAreWholeAndCaseSensitive) {
    EXPECT_EQ(Run(L"uninstall"), DispatchOutcome::EndProcess);
    EXPECT_EQ(ran, std::vector<std::wstring>{L"uninstall"});

    for (const wchar_t* line : {L"Startup", L"INSTALL", L"lang ", L" startup", L"vexo2"}) {
        EXPECT_EQ(Run(line), DispatchOutcome::NoMatch) << line;
        EXPECT_TRUE(ran.empty()) << line;
    }
}

TEST_F(DispatchTest, OneShotStepsEndTheProcess) {
    for (const wchar_t* line : {L"updates", L"install", L"vexo"}) {
        EXPECT_EQ(Run(line), DispatchOutcome::EndProcess) << line;
        EXPECT_EQ(ran, std::vector<std::wstring>{line});
    }
}

TEST_F(DispatchTest, WindowModesReturnAfterTheirStep) {
    EXPECT_EQ(Run(L"startup"), DispatchOutcome::Returned);
    EXPECT_EQ(ran, std::vector<std::wstring>{L"startup"});
    EXPECT_EQ(Run(L"lang"), DispatchOutcome::Returned);
    EXPECT_EQ(ran, std::vector<std::wstring>{L"lang"});
    EXPECT_EQ(Run(L""), DispatchOutcome::Returned);
    EXPECT_EQ(ran, std::vector<std::wstring>{L"<empty>"});
}

TEST_F(DispatchTest, SubstringWordsMatchAnywhereAndGoOn) {
    EXPECT_EQ(Run(L"notifi12345"), DispatchOutcome::Returned);
    EXPECT_EQ(ran, std::vector<std::wstring>{L"notifi"});
    EXPECT_EQ(Run(L"unknown0.3"), DispatchOutcome::Returned);
    EXPECT_EQ(ran, std::vector<std::wstring>{L"unknown"});
    EXPECT_EQ(Run(L"preopenNOTEPAD.EXE"), DispatchOutcome::Returned);
    EXPECT_EQ(ran, std::vector<std::wstring>{L"preopen"});
    // Steps that go on let later rows test the same text, top to bottom.
    EXPECT_EQ(Run(L"xnotifiunknownpreopen"), DispatchOutcome::Returned);
    EXPECT_EQ(ran, (std::vector<std::wstring>{L"notifi", L"unknown", L"preopen"}));
    EXPECT_EQ(Run(L"Notifi1"), DispatchOutcome::NoMatch);
}

TEST_F(DispatchTest, EmptyTableMatchesNothing) {
    EXPECT_EQ(Dispatch({}, L""), DispatchOutcome::NoMatch);
    EXPECT_EQ(Dispatch({}, L"startup"), DispatchOutcome::NoMatch);
}

TEST(RemoveEveryOccurrence, RemovesAllAndTrimsNothing) {
    EXPECT_EQ(RemoveEveryOccurrence(L"notifi12345", L"notifi"), L"12345");
    EXPECT_EQ(RemoveEveryOccurrence(L"preopenpreopen", L"preopen"), L"");
    EXPECT_EQ(RemoveEveryOccurrence(L"a preopen b", L"preopen"), L"a  b");
    EXPECT_EQ(RemoveEveryOccurrence(L"prepreopenopen", L"preopen"), L"preopen");
    EXPECT_EQ(RemoveEveryOccurrence(L"x", L""), L"x");
}

} // namespace
} // namespace vtrl::shell
