#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace glt::test {

namespace {

std::wstring ModuleFolder() {
    wchar_t buffer[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    std::wstring path = buffer;
    return path.substr(0, path.find_last_of(L'\\'));
}

// A name that no other test of this or any parallel run uses.
std::wstring UniqueName() {
    static std::atomic<int> counter{0};
    std::wstring test = L"test";
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info()) {
        std::string name = std::string(info->test_suite_name()) + "." + info->name();
        test.clear();
        for (char c : name) test += (isalnum(static_cast<unsigned char>(c)) || c == '.') ? wchar_t(c) : L'_';
    }
    wchar_t suffix[64];
    swprintf(suffix, std::size(suffix), L".%lu.%d", GetCurrentProcessId(), ++counter);
    return test + suffix;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t buffer[2048] = {};
    GetWindowTextW(hwnd, buffer, static_cast<int>(std::size(buffer)));
    return buffer;
}

std::wstring ClassName(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetClassNameW(hwnd, buffer, static_cast<int>(std::size(buffer)));
    return buffer;
}

// Pixels of a 32 x 32 square as 0x00RRGGBB values.
std::vector<DWORD> Capture(HDC source, int x, int y) {
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 32;
    bi.bmiHeader.biHeight = -32;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, 32, 32, source, x, y, SRCCOPY);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + 32 * 32);
    for (DWORD& p : pixels) p &= 0x00FFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

// Which system icon a message box shows, told from what is on the screen: icon handles are
// private to the process that loaded them.
std::wstring IdentifyIcon(HWND iconControl) {
    Sleep(150);  // let the box paint itself
    RECT r;
    GetWindowRect(iconControl, &r);
    HDC screen = GetDC(nullptr);
    std::vector<DWORD> shown = Capture(screen, r.left, r.top);
    ReleaseDC(nullptr, screen);
    struct Known {
        LPCWSTR id;
        const wchar_t* name;
    } known[] = {{IDI_WARNING, L"warning"}, {IDI_INFORMATION, L"information"}, {IDI_QUESTION, L"question"},
                 {IDI_ERROR, L"error"}};
    for (const auto& k : known) {
        HDC screenDc = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screenDc);
        HBITMAP canvas = CreateCompatibleBitmap(screenDc, 32, 32);
        HGDIOBJ old = SelectObject(memory, canvas);
        RECT all = {0, 0, 32, 32};
        FillRect(memory, &all, GetSysColorBrush(COLOR_3DFACE));
        DrawIconEx(memory, 0, 0, LoadIconW(nullptr, k.id), 32, 32, 0, nullptr, DI_NORMAL);
        std::vector<DWORD> drawn = Capture(memory, 0, 0);
        SelectObject(memory, old);
        DeleteObject(canvas);
        DeleteDC(memory);
        ReleaseDC(nullptr, screenDc);
        size_t differing = 0;
        for (size_t i = 0; i < drawn.size(); ++i) differing += drawn[i] != shown[i];
        if (differing < drawn.size() / 20) return k.name;
    }
    return L"other";
}

}  // namespace

std::wstring BuildDir() {
    std::wstring folder = ModuleFolder();
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring SetupExe() { return BuildDir() + L"\\setup.exe"; }

std::wstring TestkitExe(const std::wstring& name) { return BuildDir() + L"\\testkit\\" + name; }

std::wstring Quote(const std::wstring& s) { return L"\"" + s + L"\""; }

std::string Narrow(const std::wstring& s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// ---- TempDir

TempDir::TempDir() {
    CreateDirectoryW(L"C:\\glt-tests", nullptr);
    path_ = L"C:\\glt-tests\\" + UniqueName();
    RemoveTree(path_);
    if (!CreateDirectoryW(path_.c_str(), nullptr)) ADD_FAILURE() << "cannot create " << Narrow(path_);
}

TempDir::~TempDir() { RemoveTree(path_); }

std::wstring TempDir::Path(const std::wstring& relative) const { return path_ + L"\\" + relative; }

bool TempDir::WriteFile(const std::wstring& relative, const std::string& bytes) const {
    FILE* f = _wfopen(Path(relative).c_str(), L"wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

std::string TempDir::ReadFile(const std::wstring& relative) const { return ReadFileBytes(Path(relative)); }

std::string ReadFileBytes(const std::wstring& path) {
    std::string out;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
    fclose(f);
    return out;
}

bool TempDir::Exists(const std::wstring& relative) const {
    return GetFileAttributesW(Path(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RemoveTree(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileW(path.c_str()) != 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    return RemoveDirectoryW(path.c_str()) != 0;
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

// ---- TestRegKey

TestRegKey::TestRegKey() : subkey_(L"Software\\GlintoraTests\\" + UniqueName()) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, subkey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS)
        RegCloseKey(key);
    else
        ADD_FAILURE() << "cannot create the key " << Narrow(subkey_);
}

TestRegKey::~TestRegKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, subkey_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, subkey_.c_str());
}

// ---- ChildProcess

ChildProcess::~ChildProcess() {
    Kill();
    if (process_) CloseHandle(process_);
}

bool ChildProcess::Start(const std::wstring& commandLine, const std::wstring& workDir) {
    std::wstring buffer = commandLine;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    if (process_) CloseHandle(process_);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    return true;
}

bool ChildProcess::Wait(DWORD timeoutMs) {
    return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

bool ChildProcess::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

DWORD ChildProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_, &code);
    return code;
}

void ChildProcess::Kill() {
    if (Running()) {
        TerminateProcess(process_, 999);
        WaitForSingleObject(process_, 5000);
    }
}

RunResult RunAndWait(const std::wstring& commandLine, DWORD timeoutMs, const std::wstring& workDir) {
    RunResult result;
    ChildProcess child;
    result.started = child.Start(commandLine, workDir);
    if (!result.started) return result;
    result.finished = child.Wait(timeoutMs);
    result.exitCode = child.ExitCode();
    return result;
}

// ---- MessageBoxAnswerer

MessageBoxAnswerer::MessageBoxAnswerer(DWORD pid, std::vector<int> answers)
    : pid_(pid), answers_(std::move(answers)), thread_([this] { Loop(); }) {}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    stop_ = true;
    thread_.join();
}

bool MessageBoxAnswerer::WaitFor(size_t count, DWORD timeoutMs) const {
    return WaitUntil([&] {
        std::lock_guard lock(mutex_);
        return boxes_.size() >= count;
    }, timeoutMs);
}

std::vector<RecordedBox> MessageBoxAnswerer::Boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

void MessageBoxAnswerer::AnswerLast(int answer) const {
    std::lock_guard lock(mutex_);
    if (!boxes_.empty()) PostMessageW(boxes_.back().window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
}

void MessageBoxAnswerer::Loop() {
    while (!stop_) {
        struct Found {
            DWORD pid;
            std::vector<HWND> boxes;
        } found{pid_, {}};
        EnumWindows(
            [](HWND hwnd, LPARAM lp) -> BOOL {
                auto* f = reinterpret_cast<Found*>(lp);
                DWORD owner = 0;
                GetWindowThreadProcessId(hwnd, &owner);
                if ((f->pid == 0 || owner == f->pid) && IsWindowVisible(hwnd) && ClassName(hwnd) == L"#32770" &&
                    GetDlgItem(hwnd, 0xFFFF) != nullptr)  // the text of a message box
                    f->boxes.push_back(hwnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        for (HWND box : found.boxes) {
            {
                std::lock_guard lock(mutex_);
                if (std::find(seen_.begin(), seen_.end(), box) != seen_.end()) continue;
            }
            RecordedBox record;
            record.window = box;
            record.caption = WindowText(box);
            record.text = WindowText(GetDlgItem(box, 0xFFFF));
            for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                if (ClassName(child) == L"Button" && IsWindowVisible(child)) {
                    record.buttons.push_back(GetDlgCtrlID(child));
                    if ((GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                        record.defaultButton = GetDlgCtrlID(child);
                }
                if (ClassName(child) == L"Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                    IsWindowVisible(child)) {
                    record.hasIcon = true;
                    record.icon = IdentifyIcon(child);
                }
            }
            int answer = 0;
            {
                std::lock_guard lock(mutex_);
                seen_.push_back(box);
                boxes_.push_back(record);
                if (next_ < answers_.size()) answer = answers_[next_++];
            }
            if (answer) PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        }
        Sleep(20);
    }
}

}  // namespace glt::test
