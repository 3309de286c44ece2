// Helpers that every test program uses: where the built programs are, a private folder on C:,
// a private registry key, running programs, and answering the message boxes they show.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace glt::test {

// build/win64 seen from Windows; the test programs live in build/win64/tests.
std::wstring BuildDir();
std::wstring SetupExe();                          // build/win64/setup.exe
std::wstring TestkitExe(const std::wstring& name); // build/win64/testkit/<name>

std::wstring Quote(const std::wstring& s);
std::string Narrow(const std::wstring& s);  // for messages only: UTF-8

// A fresh folder C:\glt-tests\<test>.<pid>.<n>, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring Path(const std::wstring& relative) const;
    bool WriteFile(const std::wstring& relative, const std::string& bytes) const;
    std::string ReadFile(const std::wstring& relative) const;
    bool Exists(const std::wstring& relative) const;

private:
    std::wstring path_;
};

// The whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
bool RemoveTree(const std::wstring& path);
bool CopyFileTo(const std::wstring& from, const std::wstring& to);

// A fresh key HKEY_CURRENT_USER\Software\GlintoraTests\<test>.<pid>.<n>, deleted at the end.
class TestRegKey {
public:
    TestRegKey();
    ~TestRegKey();
    TestRegKey(const TestRegKey&) = delete;
    TestRegKey& operator=(const TestRegKey&) = delete;

    HKEY root() const { return HKEY_CURRENT_USER; }
    const std::wstring& subkey() const { return subkey_; }

private:
    std::wstring subkey_;
};

// A program started by a test; killed at the end if it still runs.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(const std::wstring& commandLine, const std::wstring& workDir = L"");
    DWORD pid() const { return pid_; }
    HANDLE handle() const { return process_; }
    bool Wait(DWORD timeoutMs);  // true when it ended within the time
    bool Running() const;
    DWORD ExitCode() const;      // STILL_ACTIVE while it runs
    void Kill();

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

struct RunResult {
    bool started = false;
    bool finished = false;
    DWORD exitCode = 0;
};
RunResult RunAndWait(const std::wstring& commandLine, DWORD timeoutMs = 60000,
                     const std::wstring& workDir = L"");

// What a message box showed, read from its window.
struct RecordedBox {
    std::wstring caption;
    std::wstring text;
    std::vector<int> buttons;  // command ids of its buttons, in window order
    int defaultButton = 0;     // the command id of the default button
    bool hasIcon = false;
    std::wstring icon;  // "warning", "information", "question", "error", or "other"
    HWND window = nullptr;
};

// Watches for message boxes of one process (or of any process when pid is 0), records each
// one and answers it with the next answer of the list (IDYES, IDNO, IDOK, ...). When the
// answers run out the box is left open.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer(DWORD pid, std::vector<int> answers);
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    // The process to watch may be set after it was started.
    void SetProcess(DWORD pid) { pid_ = pid; }
    // Waits until at least count boxes were seen; true when they were.
    bool WaitFor(size_t count, DWORD timeoutMs) const;
    std::vector<RecordedBox> Boxes() const;
    // Answers the box seen last, for a test that looks around before it answers.
    void AnswerLast(int answer) const;

private:
    void Loop();

    std::atomic<DWORD> pid_;
    std::vector<int> answers_;
    size_t next_ = 0;
    mutable std::mutex mutex_;
    std::vector<RecordedBox> boxes_;
    std::vector<HWND> seen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Polls until the predicate holds or the time runs out.
template <class Pred>
bool WaitUntil(Pred pred, DWORD timeoutMs, DWORD stepMs = 20) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (pred()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(stepMs);
    }
}

}  // namespace glt::test
