// Start-up of the real setup.exe with real stand-in products running: which role it takes,
// what it asks (exact texts, buttons and default button), and what it closes.
#include "instances/instance_list.h"
#include "product/product_names.h"

#include "support/real_instance_list.h"
#include "support/standin.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace glt::test;

const wchar_t* const kCaption = L"Glintora - Installation";
const std::wstring kCloseOne =
    L"Une instance d'Glintora est actuellement ouverte. Si vous cliquez sur \"Oui\", le programme "
    L"d'installation tentera de la fermer sans enregistrer le travail en cours. \n\nPoursuivre l'installation ?";
const std::wstring kCloseThree =
    L"3 instances d'Glintora sont actuellement ouvertes. Si vous cliquez sur \"Oui\", le programme "
    L"d'installation tentera de les fermer sans enregistrer le travail en cours. \n\nPoursuivre l'installation ?";
const std::wstring kInterrupted =
    L"L'installation d'Glintora a \u00e9t\u00e9 interrompue. Veuillez fermer manuellement les autres instances "
    L"d'Glintora, sans oublier d'enregistrer votre travail, puis relancez l'installation.";
const std::wstring kConfirmUninstall =
    L"Ceci aura pour effet de compl\u00e8tement d\u00e9sinstaller Glintora 7.\nSouhaitez-vous continuer ?";

constexpr DWORD kNotPerformed = 1603;  // the run ends before the install driver / relocation
constexpr DWORD kDeclined = 1602;

class StartUp : public RealInstanceListTest {
protected:
    // Stand-ins that record the close request and stay, so that only termination ends them.
    void StartStandIns(std::vector<std::unique_ptr<StandIn>>& into, int count) {
        for (int i = 0; i < count; ++i) {
            auto s = std::make_unique<StandIn>();
            ASSERT_TRUE(s->Start(dir_, L"standin" + std::to_wstring(++standIns_) + L".log", L"-ignoreclose"));
            ASSERT_TRUE(s->WaitReady());
            into.push_back(std::move(s));
        }
    }

    static void ExpectYesNoQuestion(const RecordedBox& box, const std::wstring& text, int defaultButton) {
        EXPECT_EQ(box.caption, kCaption);
        EXPECT_EQ(Narrow(box.text), Narrow(text));
        EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(box.defaultButton, defaultButton);
        EXPECT_EQ(Narrow(box.icon), "warning");
    }

private:
    int standIns_ = 0;
};

// Terminated: the stand-ins ignore the close request, so only TerminateProcess (exit code 0)
// ends them; a test's own kill uses another code.
bool TerminatedByTheSetup(const StandIn& s) { return !s.process.Running() && s.process.ExitCode() == 0; }

// Asked and terminated. The request is seen only when the stand-in handles it within the 10 ms
// before its termination.
bool ClosedByTheSetup(const StandIn& s) { return s.Has(L"close-request") && TerminatedByTheSetup(s); }

::testing::AssertionResult LeftAlone(const StandIn& s) {
    if (!s.Has(L"close-request") && s.process.Running()) return ::testing::AssertionSuccess();
    std::string events;
    for (const auto& e : s.Events()) events += Narrow(e) + "; ";
    return ::testing::AssertionFailure() << "running " << s.process.Running() << ", exit code "
                                         << s.process.ExitCode() << ", events: " << events;
}

TEST_F(StartUp, InstancesListedBeforeTheSetupAreAskedAndTerminatedOnesAfterItAreNot) {
    // Termination follows the close request by 10 ms, so whether a stand-in got to record the
    // request depends on the processor: every attempt must terminate exactly the right ones,
    // and in at least one attempt both must have recorded the request.
    bool askedInSomeAttempt = false;
    for (int attempt = 1; attempt <= 3 && !askedInSomeAttempt && !HasFailure(); ++attempt) {
        SCOPED_TRACE(attempt);
        raw().Reset({});
        std::vector<std::unique_ptr<StandIn>> before, after;
        StartStandIns(before, 2);
        MessageBoxAnswerer answerer(0xFFFFFFFF, {});
        ChildProcess setup;
        ASSERT_TRUE(setup.Start(Quote(SetupExe())));
        answerer.SetProcess(setup.pid());
        ASSERT_TRUE(answerer.WaitFor(1, 15000));
        // While the question is open, a third instance starts: it is listed behind the setup.
        StartStandIns(after, 1);
        answerer.AnswerLast(IDYES);
        ASSERT_TRUE(setup.Wait(15000));
        EXPECT_EQ(setup.ExitCode(), kNotPerformed);

        auto boxes = answerer.Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        std::wstring two = kCloseThree;
        two[0] = L'2';
        ExpectYesNoQuestion(boxes[0], two, IDYES);
        for (auto& s : before) EXPECT_TRUE(WaitUntil([&] { return TerminatedByTheSetup(*s); }, 5000));
        askedInSomeAttempt = ClosedByTheSetup(*before[0]) && ClosedByTheSetup(*before[1]);
        EXPECT_TRUE(LeftAlone(*after[0]));
        // Terminated instances had no chance to leave the list.
        EXPECT_EQ(raw().Entries(), (std::vector<DWORD>{before[0]->process.pid(), before[1]->process.pid(),
                                                       after[0]->process.pid()}));
    }
    EXPECT_TRUE(askedInSomeAttempt) << "no attempt saw both instances receive WM_CLOSE with 1001";
}

TEST_F(StartUp, NeitherAReusedIdNorAnotherProgramNorAnotherSetupIsClosed) {
    // A listed ID whose process is gone, another program that registered itself (a copy of the
    // stand-in under another name, with a window titled "Glintora"), and a second setup that
    // waits for an answer.
    raw().Reset({0x7FFFFFF0u});
    ASSERT_TRUE(CopyFileTo(TestkitExe(L"Glintr7.exe"), dir_.Path(L"Other.exe")));
    StandIn other;
    ASSERT_TRUE(other.Start(dir_, L"other.log", L"-ignoreclose", dir_.Path(L"Other.exe")));
    ASSERT_TRUE(other.WaitReady());
    ASSERT_TRUE(CopyFileTo(SetupExe(), dir_.Path(L"GltUnInst.exe")));
    MessageBoxAnswerer secondSetupAnswers(0xFFFFFFFF, {});
    ChildProcess secondSetup;
    ASSERT_TRUE(secondSetup.Start(Quote(dir_.Path(L"GltUnInst.exe")) + L" -v"));
    secondSetupAnswers.SetProcess(secondSetup.pid());
    ASSERT_TRUE(secondSetupAnswers.WaitFor(1, 15000));
    std::vector<std::unique_ptr<StandIn>> product;
    StartStandIns(product, 1);

    RunResult run = RunAndWait(Quote(SetupExe()) + L" -install -s", 30000);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, kNotPerformed);
    EXPECT_TRUE(WaitUntil([&] { return TerminatedByTheSetup(*product[0]); }, 5000));
    EXPECT_TRUE(LeftAlone(other));
    EXPECT_TRUE(secondSetup.Running());

    secondSetupAnswers.AnswerLast(IDNO);
    ASSERT_TRUE(secondSetup.Wait(15000));
    EXPECT_EQ(secondSetup.ExitCode(), kDeclined);
}

TEST_F(StartUp, TheInstallerAsksOnceOrManyAndNonClosesNothing) {
    struct Case {
        int others;
        const std::wstring& question;
    } cases[] = {{1, kCloseOne}, {3, kCloseThree}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.others);
        raw().Reset({});
        std::vector<std::unique_ptr<StandIn>> running;
        StartStandIns(running, c.others);
        MessageBoxAnswerer answerer(0xFFFFFFFF, {IDNO, IDOK});
        ChildProcess setup;
        ASSERT_TRUE(setup.Start(Quote(SetupExe()) + L" -s"));  // -s in first place does not skip the question
        answerer.SetProcess(setup.pid());
        ASSERT_TRUE(setup.Wait(20000));
        EXPECT_EQ(setup.ExitCode(), kDeclined);
        auto boxes = answerer.Boxes();
        ASSERT_EQ(boxes.size(), 2u);
        ExpectYesNoQuestion(boxes[0], c.question, IDYES);
        EXPECT_EQ(boxes[1].caption, kCaption);
        EXPECT_EQ(Narrow(boxes[1].text), Narrow(kInterrupted));
        EXPECT_EQ(boxes[1].buttons, (std::vector<int>{IDOK}));
        EXPECT_EQ(Narrow(boxes[1].icon), "information");
        Sleep(100);
        for (auto& s : running) EXPECT_TRUE(LeftAlone(*s));
    }
}

// The role follows the first argument and the program's own file name; with one product
// instance running, the role shows in what is asked and whether the instance is closed.
TEST_F(StartUp, FileNameAndArgumentsDecideTheRole) {
    struct Case {
        const char* name;
        std::wstring file;  // below the test folder
        std::wstring args;
        std::vector<int> answers;
        const std::wstring* question;  // null: nothing is asked
        int defaultButton;
        bool closed;
        DWORD exitCode;
    } cases[] = {
        {"uninstaller, quiet", L"GltUnInst.exe", L"", {}, nullptr, 0, true, kNotPerformed},
        {"uninstaller -v declined", L"GltUnInst.exe", L"-v", {IDNO}, &kConfirmUninstall, IDNO, false, kDeclined},
        {"uninstaller -v accepted", L"GltUnInst.exe", L"-V", {IDYES}, &kConfirmUninstall, IDNO, true, kNotPerformed},
        {"uninstaller made installer by -install", L"GltUnInst.exe", L"-install", {IDNO, IDOK}, &kCloseOne, IDYES,
         false, kDeclined},
        {"MySetup.EXE", L"MySetup.EXE", L"", {IDNO, IDOK}, &kCloseOne, IDYES, false, kDeclined},
        {"folder named setup.exe", L"Mes setup.exe fichiers\\GltUnInst.exe", L"", {IDNO, IDOK}, &kCloseOne, IDYES,
         false, kDeclined},
        {"/s after a folder skips the question", L"setup.exe", L"-instdir C:\\Autre /s", {}, nullptr, 0, true,
         kNotPerformed},
        {"-delself in other case", L"GltUnInst.exe", L"-DELSELF C:\\x\\GltUnInst.exe", {}, nullptr, 0, true,
         kNotPerformed},
    };
    CreateDirectoryW(dir_.Path(L"Mes setup.exe fichiers").c_str(), nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        raw().Reset({});
        std::vector<std::unique_ptr<StandIn>> running;
        StartStandIns(running, 1);
        const std::wstring exe = dir_.Path(c.file);
        ASSERT_TRUE(CopyFileTo(SetupExe(), exe));
        MessageBoxAnswerer answerer(0xFFFFFFFF, c.answers);
        ChildProcess setup;
        ASSERT_TRUE(setup.Start(Quote(exe) + L" " + c.args));
        answerer.SetProcess(setup.pid());
        ASSERT_TRUE(setup.Wait(20000));
        EXPECT_EQ(setup.ExitCode(), c.exitCode);
        auto boxes = answerer.Boxes();
        if (c.question) {
            ASSERT_FALSE(boxes.empty());
            ExpectYesNoQuestion(boxes[0], *c.question, c.defaultButton);
        } else {
            EXPECT_TRUE(boxes.empty());
        }
        if (c.closed) {
            EXPECT_TRUE(WaitUntil([&] { return TerminatedByTheSetup(*running[0]); }, 5000));
        } else {
            Sleep(100);
            EXPECT_TRUE(LeftAlone(*running[0]));
        }
        DeleteFileW(exe.c_str());
    }
}

TEST_F(StartUp, WithNoOtherInstanceNothingIsAsked) {
    for (const wchar_t* args : {L"", L"-v", L"-s"}) {
        SCOPED_TRACE(Narrow(args));
        MessageBoxAnswerer answerer(0xFFFFFFFF, {});
        ChildProcess setup;
        ASSERT_TRUE(setup.Start(Quote(SetupExe()) + L" " + args));
        answerer.SetProcess(setup.pid());
        ASSERT_TRUE(setup.Wait(20000));
        EXPECT_EQ(setup.ExitCode(), kNotPerformed);
        EXPECT_TRUE(answerer.Boxes().empty());
    }
}

}  // namespace
