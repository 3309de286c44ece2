// How much the setup adds to the file operations it cannot avoid. On one generated payload it
// times CopyPayload against a bare loop of CopyFileW over the same files, and ReplayLog of the
// resulting log against a bare loop of DeleteFileW, in alternating order, and prints the median
// of the per-round ratios. A profiled warm-up round shows where the setup's time goes.
#include "app/setup_options.h"
#include "install/payload_copy.h"
#include "uninstall/log_replay.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <io.h>
#include <random>
#include <string>
#include <vector>

namespace {

// The payload: 5,000 files in 50 folders, 1 KB to 2 MB, about 50 KB on average.
constexpr int kFolderCount = 50;
constexpr int kFilesPerFolder = 100;
constexpr int kFileCount = kFolderCount * kFilesPerFolder;
constexpr double kSmallestLog2 = 10.0;  // 1 KB
constexpr double kLargestLog2 = 21.0;   // 2 MB
// Sizes follow a normal distribution of their logarithm, cut to the range above: many files of
// a few kilobytes, a few of a megabyte or more.
constexpr double kLog2Mean = 14.0;
constexpr double kLog2Deviation = 2.2;
constexpr std::uint32_t kSeed = 20240611;

constexpr wchar_t kRoot[] = L"C:\\GltFileBench";
constexpr wchar_t kListName[] = L"GltUnInst.log";
constexpr wchar_t kSessionManagerKey[] = L"System\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingValue[] = L"PendingFileRenameOperations";

constexpr double kGoal = 1.10;

// --- time --------------------------------------------------------------------------------------

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

std::string Narrow(const std::wstring& text) {
    std::string result;
    for (wchar_t c : text) result.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return result;
}

// GCC 12 warns wrongly about a literal added to a temporary string.
std::string Text(const char* lead, const std::wstring& path) {
    std::string text = lead;
    text += Narrow(path);
    return text;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) { return folder + L'\\' + name; }

// --- the payload -------------------------------------------------------------------------------

struct PayloadFile {
    std::wstring folder;    // "Folder07"
    std::wstring relative;  // "Folder07\Part0613.bin"
    DWORD size = 0;
};

struct Payload {
    std::wstring folder;
    std::vector<std::wstring> folders;
    std::vector<PayloadFile> files;  // folder by folder, in the order of the per-file list
    std::uint64_t totalBytes = 0;
};

double NormalCdf(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }

double InverseNormalCdf(double p) {
    double low = -12.0, high = 12.0;
    for (int i = 0; i < 200; ++i) {
        const double middle = (low + high) / 2.0;
        (NormalCdf(middle) < p ? low : high) = middle;
    }
    return (low + high) / 2.0;
}

// Evenly spaced quantiles, so that the sizes have the intended distribution exactly, smallest
// and largest included; the seed only decides which file gets which size.
std::vector<DWORD> PayloadSizes() {
    const double a = NormalCdf((kSmallestLog2 - kLog2Mean) / kLog2Deviation);
    const double b = NormalCdf((kLargestLog2 - kLog2Mean) / kLog2Deviation);
    std::vector<DWORD> sizes(kFileCount);
    for (int i = 0; i < kFileCount; ++i) {
        const double q = a + (b - a) * i / (kFileCount - 1);
        const double log2Size = kLog2Mean + kLog2Deviation * InverseNormalCdf(q);
        const double size = std::clamp(std::round(std::exp2(log2Size)), std::exp2(kSmallestLog2), std::exp2(kLargestLog2));
        sizes[static_cast<size_t>(i)] = static_cast<DWORD>(size);
    }
    // The generator's output is fixed by the standard; std::shuffle's use of it is not.
    std::mt19937 random(kSeed);
    for (size_t i = sizes.size() - 1; i > 0; --i) std::swap(sizes[i], sizes[random() % (i + 1)]);
    return sizes;
}

bool WriteWholeFile(const std::wstring& path, const void* data, DWORD size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, data, size, &written, nullptr);
    CloseHandle(file);
    return ok && written == size;
}

bool MakePayload(Payload& payload) {
    payload.folder = Join(kRoot, L"payload");
    if (!CreateDirectoryW(payload.folder.c_str(), nullptr)) return false;
    const std::vector<DWORD> sizes = PayloadSizes();

    // Random bytes, so that no layer below can make the copies cheaper by compressing them.
    constexpr size_t kSpread = 64 * 1024;
    std::vector<std::uint32_t> noise((static_cast<size_t>(1) << 21) / 4 + kSpread / 4);
    std::mt19937 random(kSeed + 1);
    for (auto& word : noise) word = random();
    const auto* bytes = reinterpret_cast<const unsigned char*>(noise.data());

    wchar_t name[32];
    for (int f = 0; f < kFolderCount; ++f) {
        std::swprintf(name, 32, L"Folder%02d", f + 1);
        const std::wstring folder = name;
        payload.folders.push_back(folder);
        if (!CreateDirectoryW(Join(payload.folder, folder).c_str(), nullptr)) return false;
        for (int i = 0; i < kFilesPerFolder; ++i) {
            const int index = f * kFilesPerFolder + i;
            std::swprintf(name, 32, L"Part%04d.bin", index + 1);
            PayloadFile file{folder, Join(folder, name), sizes[static_cast<size_t>(index)]};
            const size_t offset = static_cast<size_t>(index) * 4099 % kSpread;
            if (!WriteWholeFile(Join(payload.folder, file.relative), bytes + offset, file.size)) return false;
            payload.totalBytes += file.size;
            payload.files.push_back(std::move(file));
        }
    }
    return true;
}

// The payload log as the packaging writes it: one "Make Dir: " per folder, each followed by
// either one "File Copy: " per file or one pattern for the whole folder.
enum class ListStyle { PerFile, Wildcard };

const char* StyleName(ListStyle style) { return style == ListStyle::PerFile ? "per-file list" : "wildcard list"; }

bool WriteList(const std::wstring& path, const Payload& payload, ListStyle style) {
    std::string text;
    for (const std::wstring& folder : payload.folders) {
        text += Text("Make Dir: ", folder) + "\r\n";
        if (style == ListStyle::Wildcard) {
            text += Text("File Copy: ", folder) + "\\*\r\n";
            continue;
        }
        for (const PayloadFile& file : payload.files)
            if (file.folder == folder) text += Text("File Copy: ", file.relative) + "\r\n";
    }
    return WriteWholeFile(path, text.data(), static_cast<DWORD>(text.size()));
}

// --- clean-up ----------------------------------------------------------------------------------

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Join(folder, L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = Join(folder, name);
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

bool StartsWithRoot(const wchar_t* path) {
    const wchar_t* p = path;
    if (std::wcsncmp(p, L"\\??\\", 4) == 0) p += 4;
    const size_t length = std::wcslen(kRoot);
    return _wcsnicmp(p, kRoot, length) == 0 && (p[length] == L'\\' || p[length] == L'\0');
}

// The replay hands to the restart what it cannot remove at once (a pattern that matches "."
// schedules its folder). Entries for the benchmark's own folders are taken out again, so that the
// prefix's next restart has nothing of ours to do; the entries of others stay as they are.
int RemoveOwnRestartEntries() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    DWORD type = 0, bytes = 0;
    int removed = 0;
    if (RegQueryValueExW(key, kPendingValue, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS && type == REG_MULTI_SZ) {
        std::vector<wchar_t> value(bytes / sizeof(wchar_t) + 2, L'\0');
        if (RegQueryValueExW(key, kPendingValue, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) ==
            ERROR_SUCCESS) {
            // Pairs of source and target; a deletion has an empty target, so the list cannot be
            // read as plain strings up to the first empty one.
            const size_t end = bytes / sizeof(wchar_t);
            std::vector<wchar_t> kept;
            size_t at = 0;
            while (at < end && value[at] != L'\0') {
                const wchar_t* source = &value[at];
                const size_t sourceLength = std::wcslen(source);
                const size_t targetAt = at + sourceLength + 1;
                const size_t targetLength = targetAt < end ? std::wcslen(&value[targetAt]) : 0;
                const size_t next = targetAt + targetLength + 1;
                if (StartsWithRoot(source))
                    ++removed;
                else
                    kept.insert(kept.end(), value.begin() + static_cast<std::ptrdiff_t>(at),
                                value.begin() + static_cast<std::ptrdiff_t>(std::min(next, value.size())));
                at = next;
            }
            if (removed > 0) {
                if (kept.empty()) {
                    RegDeleteValueW(key, kPendingValue);
                } else {
                    kept.push_back(L'\0');
                    RegSetValueExW(key, kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kept.data()),
                                   static_cast<DWORD>(kept.size() * sizeof(wchar_t)));
                }
            }
        }
    }
    RegCloseKey(key);
    return removed;
}

// --- checks ------------------------------------------------------------------------------------

// A side that skipped work would look fast: every round checks what each side left.
std::string CheckCopied(const std::wstring& root, const Payload& payload, bool compareBytes) {
    for (const PayloadFile& file : payload.files) {
        const std::wstring path = Join(root, file.relative);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
            return Text("missing ", path);
        if (data.nFileSizeHigh != 0 || data.nFileSizeLow != file.size) return Text("wrong size of ", path);
    }
    for (const std::wstring& folder : payload.folders) {
        int count = 0;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(Join(Join(root, folder), L"*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return Text("no folder ", folder);
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
        } while (FindNextFileW(find, &data));
        FindClose(find);
        if (count != kFilesPerFolder) return Text("extra files in ", Join(root, folder));
    }
    if (!compareBytes) return {};
    std::vector<char> a(1 << 21), b(1 << 21);
    for (const PayloadFile& file : payload.files) {
        const std::wstring paths[2] = {Join(payload.folder, file.relative), Join(root, file.relative)};
        std::vector<char>* buffers[2] = {&a, &b};
        for (int i = 0; i < 2; ++i) {
            HANDLE h = CreateFileW(paths[i].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            DWORD read = 0;
            const BOOL ok = h != INVALID_HANDLE_VALUE && ReadFile(h, buffers[i]->data(), file.size, &read, nullptr);
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
            if (!ok || read != file.size) return Text("cannot read ", paths[i]);
        }
        if (std::memcmp(a.data(), b.data(), file.size) != 0) return Text("other content in ", paths[1]);
    }
    return {};
}

// After the deletion only the log (for the setup's side) may remain in the destination folder.
std::string CheckEmptied(const std::wstring& root, const wchar_t* allowed) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Join(root, L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return Text("destination folder gone: ", root);
    std::string left;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L".." || (allowed && name == allowed)) continue;
        left += ' ';
        left += Narrow(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return left.empty() ? std::string() : Text("left in ", root) + ":" + left;
}

// --- the two sides -----------------------------------------------------------------------------

// The bare operations, with every path built before the clock starts.
struct RawPlan {
    std::vector<std::wstring> folders;
    std::vector<std::wstring> sources;
    std::vector<std::wstring> targets;
    std::vector<size_t> firstFileOfFolder;
};

RawPlan PlanRaw(const Payload& payload, const std::wstring& destination) {
    RawPlan plan;
    for (const std::wstring& folder : payload.folders) plan.folders.push_back(Join(destination, folder));
    for (size_t i = 0; i < payload.files.size(); ++i) {
        if (i % kFilesPerFolder == 0) plan.firstFileOfFolder.push_back(i);
        plan.sources.push_back(Join(payload.folder, payload.files[i].relative));
        plan.targets.push_back(Join(destination, payload.files[i].relative));
    }
    return plan;
}

int RawCopy(const RawPlan& plan) {
    int failures = 0;
    for (size_t f = 0; f < plan.folders.size(); ++f) {
        if (!CreateDirectoryW(plan.folders[f].c_str(), nullptr)) ++failures;
        const size_t end = f + 1 < plan.folders.size() ? plan.firstFileOfFolder[f + 1] : plan.sources.size();
        for (size_t i = plan.firstFileOfFolder[f]; i < end; ++i)
            if (!CopyFileW(plan.sources[i].c_str(), plan.targets[i].c_str(), FALSE)) ++failures;
    }
    return failures;
}

int RawDelete(const RawPlan& plan) {
    int failures = 0;
    for (const std::wstring& target : plan.targets)
        if (!DeleteFileW(target.c_str())) ++failures;
    for (const std::wstring& folder : plan.folders)
        if (!RemoveDirectoryW(folder.c_str())) ++failures;
    return failures;
}

// --- call profile ------------------------------------------------------------------------------
//
// The program's own import table is redirected to counting wrappers for one round, so the
// profile sees exactly the calls that the library makes, with no change to the library.

enum ApiId {
    kFindFirstFileW, kFindNextFileW, kFindClose, kGetFileAttributesW, kSetFileAttributesW, kCreateDirectoryW,
    kRemoveDirectoryW, kCopyFileW, kDeleteFileW, kMoveFileW, kMoveFileExW, kGetFullPathNameW, kGetLongPathNameW,
    kLoadLibraryW, kIsWow64Process, kCompareStringOrdinal, kWaccess, kWfopen, kGetc, kUngetc, kFclose, kRewind,
    kApiCount
};

struct ApiRecord {
    const char* name;
    void* original = nullptr;
    void** slot = nullptr;
    std::int64_t calls = 0;
    std::int64_t ticks = 0;
};

ApiRecord g_apis[kApiCount] = {
    {"FindFirstFileW"}, {"FindNextFileW"}, {"FindClose"}, {"GetFileAttributesW"}, {"SetFileAttributesW"},
    {"CreateDirectoryW"}, {"RemoveDirectoryW"}, {"CopyFileW"}, {"DeleteFileW"}, {"MoveFileW"}, {"MoveFileExW"},
    {"GetFullPathNameW"}, {"GetLongPathNameW"}, {"LoadLibraryW"}, {"IsWow64Process"}, {"CompareStringOrdinal"},
    {"_waccess"}, {"_wfopen"}, {"getc"}, {"ungetc"}, {"fclose"}, {"rewind"},
};

#if defined(_WIN64)
constexpr bool kCanProfile = true;

// One calling convention on x64: a single wrapper template serves the system's and the run-time's
// functions alike.
template <ApiId id, typename F>
struct Hook;
template <ApiId id, typename R, typename... A>
struct Hook<id, R (*)(A...)> {
    static R Call(A... arguments) {
        LARGE_INTEGER start, stop;
        QueryPerformanceCounter(&start);
        R result = reinterpret_cast<R (*)(A...)>(g_apis[id].original)(arguments...);
        QueryPerformanceCounter(&stop);
        ++g_apis[id].calls;
        g_apis[id].ticks += stop.QuadPart - start.QuadPart;
        return result;
    }
};
template <ApiId id, typename... A>
struct Hook<id, void (*)(A...)> {
    static void Call(A... arguments) {
        LARGE_INTEGER start, stop;
        QueryPerformanceCounter(&start);
        reinterpret_cast<void (*)(A...)>(g_apis[id].original)(arguments...);
        QueryPerformanceCounter(&stop);
        ++g_apis[id].calls;
        g_apis[id].ticks += stop.QuadPart - start.QuadPart;
    }
};

template <ApiId id, typename F>
void* Wrapper(F) {
    return reinterpret_cast<void*>(&Hook<id, F>::Call);
}

void* g_wrappers[kApiCount] = {
    Wrapper<kFindFirstFileW>(&FindFirstFileW),
    Wrapper<kFindNextFileW>(&FindNextFileW),
    Wrapper<kFindClose>(&FindClose),
    Wrapper<kGetFileAttributesW>(&GetFileAttributesW),
    Wrapper<kSetFileAttributesW>(&SetFileAttributesW),
    Wrapper<kCreateDirectoryW>(&CreateDirectoryW),
    Wrapper<kRemoveDirectoryW>(&RemoveDirectoryW),
    Wrapper<kCopyFileW>(&CopyFileW),
    Wrapper<kDeleteFileW>(&DeleteFileW),
    Wrapper<kMoveFileW>(&MoveFileW),
    Wrapper<kMoveFileExW>(&MoveFileExW),
    Wrapper<kGetFullPathNameW>(&GetFullPathNameW),
    Wrapper<kGetLongPathNameW>(&GetLongPathNameW),
    Wrapper<kLoadLibraryW>(&LoadLibraryW),
    Wrapper<kIsWow64Process>(&IsWow64Process),
    Wrapper<kCompareStringOrdinal>(&CompareStringOrdinal),
    Wrapper<kWaccess>(&_waccess),
    Wrapper<kWfopen>(&_wfopen),
    Wrapper<kGetc>(&getc),
    Wrapper<kUngetc>(&ungetc),
    Wrapper<kFclose>(&fclose),
    Wrapper<kRewind>(&rewind),
};

// Finds the import slots once; a function the program does not import is simply not profiled.
void FindImportSlots() {
    auto* base = reinterpret_cast<unsigned char*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return;
    for (auto* module = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         module->Name != 0; ++module) {
        const DWORD names = module->OriginalFirstThunk ? module->OriginalFirstThunk : module->FirstThunk;
        const auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + names);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; name->u1.AddressOfData != 0; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
            for (ApiRecord& api : g_apis)
                if (api.slot == nullptr && std::strcmp(reinterpret_cast<const char*>(byName->Name), api.name) == 0)
                    api.slot = reinterpret_cast<void**>(&slot->u1.Function);
        }
    }
}

void WriteSlot(void** slot, void* value) {
    DWORD protection = 0;
    VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof(void*), protection, &protection);
}

void StartProfile() {
    for (int i = 0; i < kApiCount; ++i) {
        ApiRecord& api = g_apis[i];
        api.calls = api.ticks = 0;
        if (api.slot == nullptr) continue;
        api.original = *api.slot;
        WriteSlot(api.slot, g_wrappers[i]);
    }
}

void StopProfile() {
    for (ApiRecord& api : g_apis)
        if (api.slot != nullptr) WriteSlot(api.slot, api.original);
}
#else
constexpr bool kCanProfile = false;
void FindImportSlots() {}
void StartProfile() {}
void StopProfile() {}
#endif

// --- rounds ------------------------------------------------------------------------------------

struct RoundResult {
    double setupCopy = 0, rawCopy = 0, setupReplay = 0, rawDelete = 0;
    int scheduled = 0;
    bool ok = true;
};

struct Snapshot {
    std::int64_t calls[kApiCount];
    std::int64_t ticks[kApiCount];
};

Snapshot TakeSnapshot() {
    Snapshot s;
    for (int i = 0; i < kApiCount; ++i) {
        s.calls[i] = g_apis[i].calls;
        s.ticks[i] = g_apis[i].ticks;
    }
    return s;
}

double TicksToMs(std::int64_t ticks) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(f.QuadPart);
}

// What one timed phase spent in each profiled function, between two snapshots.
void PrintPhaseProfile(const char* phase, double seconds, const Snapshot& before, const Snapshot& after, int files) {
    std::printf("    %s: %.3f s in all, %.1f us per file\n", phase, seconds, 1e6 * seconds / files);
    double inside = 0;
    for (int i = 0; i < kApiCount; ++i) {
        const std::int64_t calls = after.calls[i] - before.calls[i];
        if (calls == 0) continue;
        const double ms = TicksToMs(after.ticks[i] - before.ticks[i]);
        inside += ms;
        std::printf("      %-22s %8lld calls %10.1f ms %8.2f us/call %7.1f us/file %5.1f %%\n", g_apis[i].name,
                    static_cast<long long>(calls), ms, 1000.0 * ms / static_cast<double>(calls), 1000.0 * ms / files,
                    100.0 * ms / (1000.0 * seconds));
    }
    const double outside = 1000.0 * seconds - inside;
    std::printf("      %-22s %8s       %10.1f ms %8s       %7.1f us/file %5.1f %%\n", "(outside these calls)", "",
                outside, "", 1000.0 * outside / files, 100.0 * outside / (1000.0 * seconds));
}

void Fail(RoundResult& result, const std::string& what) {
    std::printf("    CHECK FAILED: %s\n", what.c_str());
    result.ok = false;
}

RoundResult RunRound(const Payload& payload, const std::wstring& list, ListStyle style, int round, bool setupFirst,
                     bool profile, bool compareBytes) {
    RoundResult result;
    wchar_t name[64];
    std::swprintf(name, 64, L"%ls-%d", style == ListStyle::PerFile ? L"file" : L"wild", round);
    const std::wstring setupDir = Join(kRoot, std::wstring(name) + L"-setup");
    const std::wstring rawDir = Join(kRoot, std::wstring(name) + L"-raw");
    // The install sequence makes the installation folder before the payload copy; both sides
    // start from an empty folder of their own.
    if (!CreateDirectoryW(setupDir.c_str(), nullptr) || !CreateDirectoryW(rawDir.c_str(), nullptr)) {
        Fail(result, "cannot make the destination folders");
        return result;
    }
    const RawPlan plan = PlanRaw(payload, rawDir);
    g_options.sourceDir = payload.folder;
    g_options.installDir = setupDir;
    const std::wstring installedLog = Join(setupDir, kListName);

    // Each timed side keeps the profile's counts from before and after it.
    Snapshot setupCopyFrom{}, setupCopyTo{}, rawCopyFrom{}, rawCopyTo{};
    Snapshot replayFrom{}, replayTo{}, rawDeleteFrom{}, rawDeleteTo{};
    int rawFailures = 0;
    auto setupCopy = [&] {
        setupCopyFrom = TakeSnapshot();
        const double t = Now();
        CopyPayload(list);
        result.setupCopy = Now() - t;
        setupCopyTo = TakeSnapshot();
    };
    auto rawCopy = [&] {
        rawCopyFrom = TakeSnapshot();
        const double t = Now();
        rawFailures += RawCopy(plan);
        result.rawCopy = Now() - t;
        rawCopyTo = TakeSnapshot();
    };
    auto setupReplay = [&] {
        replayFrom = TakeSnapshot();
        const double t = Now();
        ReplayLog(installedLog, setupDir);
        result.setupReplay = Now() - t;
        replayTo = TakeSnapshot();
    };
    auto rawDelete = [&] {
        rawDeleteFrom = TakeSnapshot();
        const double t = Now();
        rawFailures += RawDelete(plan);
        result.rawDelete = Now() - t;
        rawDeleteTo = TakeSnapshot();
    };

    if (profile) StartProfile();
    if (setupFirst) {
        setupCopy();
        rawCopy();
    } else {
        rawCopy();
        setupCopy();
    }
    if (profile) StopProfile();

    // Untimed: the checks, and the log's copy into the installation folder, as the install
    // sequence makes it after the payload copy.
    std::string problem = CheckCopied(setupDir, payload, compareBytes);
    if (!problem.empty()) Fail(result, "setup copy: " + problem);
    problem = CheckCopied(rawDir, payload, compareBytes);
    if (!problem.empty()) Fail(result, "raw copy: " + problem);
    if (!CopyFileW(list.c_str(), installedLog.c_str(), FALSE)) Fail(result, "cannot copy the log");

    if (profile) StartProfile();
    if (setupFirst) {
        setupReplay();
        rawDelete();
    } else {
        rawDelete();
        setupReplay();
    }
    if (profile) StopProfile();

    problem = CheckEmptied(setupDir, kListName);
    if (!problem.empty()) Fail(result, "setup replay: " + problem);
    problem = CheckEmptied(rawDir, nullptr);
    if (!problem.empty()) Fail(result, "raw delete: " + problem);
    if (rawFailures != 0) Fail(result, std::to_string(rawFailures) + " raw operations failed");

    if (profile) {
        std::printf("  Where the time goes (one round, every call below timed on its way through the import table):\n");
        PrintPhaseProfile("CopyPayload", result.setupCopy, setupCopyFrom, setupCopyTo, kFileCount);
        PrintPhaseProfile("raw CopyFileW loop", result.rawCopy, rawCopyFrom, rawCopyTo, kFileCount);
        PrintPhaseProfile("ReplayLog", result.setupReplay, replayFrom, replayTo, kFileCount);
        PrintPhaseProfile("raw DeleteFileW loop", result.rawDelete, rawDeleteFrom, rawDeleteTo, kFileCount);
    }

    result.scheduled = RemoveOwnRestartEntries();
    DeleteFileW(installedLog.c_str());
    RemoveTree(setupDir);
    RemoveTree(rawDir);
    return result;
}

// Cost of the profile's own timing, to read the small per-call figures against.
double TimerPairCostMicroseconds() {
    constexpr int kPairs = 100000;
    LARGE_INTEGER a, b;
    const double start = Now();
    for (int i = 0; i < kPairs; ++i) {
        QueryPerformanceCounter(&a);
        QueryPerformanceCounter(&b);
    }
    return 1e6 * (Now() - start) / kPairs;
}

// The cost of single calls on paths of two depths, outside the library: GetLongPathNameW looks
// every component of its path up, so the setup's cost grows with the depth of its folders.
void PrintCallCosts() {
    constexpr int kCalls = 500;
    const std::wstring shallow = Join(kRoot, L"probe.bin");
    const std::wstring deepFolder = Join(Join(Join(kRoot, L"d1"), L"d2"), L"d3");
    const std::wstring deep = Join(deepFolder, L"probe.bin");
    CreateDirectoryW(Join(kRoot, L"d1").c_str(), nullptr);
    CreateDirectoryW(Join(Join(kRoot, L"d1"), L"d2").c_str(), nullptr);
    CreateDirectoryW(deepFolder.c_str(), nullptr);
    const char byte = 0;
    if (!WriteWholeFile(shallow, &byte, 1) || !WriteWholeFile(deep, &byte, 1)) return;
    std::printf("  cost of single calls (%d calls each, microseconds per call):\n", kCalls);
    for (const std::wstring& path : {shallow, deep}) {
        wchar_t buffer[MAX_PATH];
        WIN32_FIND_DATAW data;
        double t = Now();
        for (int i = 0; i < kCalls; ++i) GetLongPathNameW(path.c_str(), buffer, MAX_PATH);
        const double longPath = (Now() - t) * 1e6 / kCalls;
        t = Now();
        for (int i = 0; i < kCalls; ++i) FindClose(FindFirstFileW(path.c_str(), &data));
        const double find = (Now() - t) * 1e6 / kCalls;
        t = Now();
        for (int i = 0; i < kCalls; ++i) GetFileAttributesW(path.c_str());
        const double get = (Now() - t) * 1e6 / kCalls;
        t = Now();
        for (int i = 0; i < kCalls; ++i) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        const double set = (Now() - t) * 1e6 / kCalls;
        std::printf("    %-34s GetLongPathNameW %7.1f  FindFirstFileW+FindClose %6.1f  GetFileAttributesW %5.1f  "
                    "SetFileAttributesW %6.1f\n",
                    Narrow(path).c_str(), longPath, find, get, set);
    }
    DeleteFileW(shallow.c_str());
    RemoveTree(Join(kRoot, L"d1"));
}

struct StyleSummary {
    ListStyle style;
    double copyRatio, deleteRatio, setupCopy, rawCopy, setupReplay, rawDelete;
    double copyLow, copyHigh, deleteLow, deleteHigh;
    bool ok;
};

StyleSummary RunStyle(const Payload& payload, ListStyle style, int rounds, bool profile) {
    const std::wstring listFolder = Join(kRoot, style == ListStyle::PerFile ? L"list-per-file" : L"list-wildcard");
    const std::wstring list = Join(listFolder, kListName);
    StyleSummary summary{style, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, true};
    if (!CreateDirectoryW(listFolder.c_str(), nullptr) || !WriteList(list, payload, style)) {
        std::printf("cannot write the %s\n", StyleName(style));
        summary.ok = false;
        return summary;
    }
    std::printf("\n== %s (%s)\n", StyleName(style),
                style == ListStyle::PerFile ? "\"Make Dir: FolderNN\", then \"File Copy: FolderNN\\PartNNNN.bin\" per file"
                                            : "\"Make Dir: FolderNN\", then \"File Copy: FolderNN\\*\"");

    // The warm-up round settles the disk and the caches after the previous work; it is the one
    // that carries the profile, whose wrappers would distort a measured round.
    const bool withProfile = profile && kCanProfile;
    std::printf("  round 0: warm-up%s, setup first, not in the medians\n", withProfile ? " with call profile" : "");
    RoundResult warm = RunRound(payload, list, style, 0, true, withProfile, true);
    summary.ok = summary.ok && warm.ok;

    std::vector<double> copyRatios, deleteRatios, setupCopies, rawCopies, setupReplays, rawDeletes;
    for (int round = 1; round <= rounds; ++round) {
        const bool setupFirst = round % 2 == 1;
        RoundResult r = RunRound(payload, list, style, round, setupFirst, false, false);
        summary.ok = summary.ok && r.ok;
        std::printf("  round %d (%s first): copy setup %7.3f s raw %7.3f s ratio %5.3f | delete setup %7.3f s raw "
                    "%7.3f s ratio %5.3f%s\n",
                    round, setupFirst ? "setup" : "raw  ", r.setupCopy, r.rawCopy, r.setupCopy / r.rawCopy,
                    r.setupReplay, r.rawDelete, r.setupReplay / r.rawDelete,
                    r.scheduled ? (" | " + std::to_string(r.scheduled) + " restart entries").c_str() : "");
        std::fflush(stdout);
        copyRatios.push_back(r.setupCopy / r.rawCopy);
        deleteRatios.push_back(r.setupReplay / r.rawDelete);
        setupCopies.push_back(r.setupCopy);
        rawCopies.push_back(r.rawCopy);
        setupReplays.push_back(r.setupReplay);
        rawDeletes.push_back(r.rawDelete);
    }
    summary.copyRatio = Median(copyRatios);
    summary.deleteRatio = Median(deleteRatios);
    summary.setupCopy = Median(setupCopies);
    summary.rawCopy = Median(rawCopies);
    summary.setupReplay = Median(setupReplays);
    summary.rawDelete = Median(rawDeletes);
    summary.copyLow = *std::min_element(copyRatios.begin(), copyRatios.end());
    summary.copyHigh = *std::max_element(copyRatios.begin(), copyRatios.end());
    summary.deleteLow = *std::min_element(deleteRatios.begin(), deleteRatios.end());
    summary.deleteHigh = *std::max_element(deleteRatios.begin(), deleteRatios.end());

    DeleteFileW(list.c_str());
    RemoveDirectoryW(listFolder.c_str());
    return summary;
}

void Usage() {
    std::printf("usage: file_operations_bench [--rounds N] [--list per-file|wildcard|both] [--no-profile]\n"
                "  N measured rounds per list (1 to 25, default 7), after one warm-up round.\n");
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 7;
    bool perFile = true, wildcard = true, profile = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc) {
            char* end = nullptr;
            const long n = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || n < 1 || n > 25) {
                Usage();
                return 2;
            }
            rounds = static_cast<int>(n);
        } else if (arg == "--list" && i + 1 < argc) {
            const std::string which = argv[++i];
            perFile = which == "per-file" || which == "both";
            wildcard = which == "wildcard" || which == "both";
            if (!perFile && !wildcard) {
                Usage();
                return 2;
            }
        } else if (arg == "--no-profile") {
            profile = false;
        } else {
            Usage();
            return 2;
        }
    }

    const char* (*wineVersion)() = nullptr;
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll"))
        wineVersion = reinterpret_cast<const char* (*)()>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    std::printf("File operations of the setup against the bare system calls\n");
    std::printf("  %s, %lu processors, payload in %s\n", wineVersion ? (std::string("Wine ") + wineVersion()).c_str() : "Windows",
                system.dwNumberOfProcessors, Narrow(kRoot).c_str());

    // A run that was interrupted leaves its folder behind: it is taken away first.
    if (Exists(kRoot)) {
        std::printf("  removing the folder of an earlier, interrupted run\n");
        RemoveTree(kRoot);
    }
    RemoveOwnRestartEntries();
    if (!CreateDirectoryW(kRoot, nullptr)) {
        std::printf("cannot make %s\n", Narrow(kRoot).c_str());
        return 1;
    }

    Payload payload;
    const double runStart = Now();
    const double generationStart = runStart;
    if (!MakePayload(payload)) {
        std::printf("cannot write the payload\n");
        RemoveTree(kRoot);
        return 1;
    }
    DWORD smallest = MAXDWORD, largest = 0;
    std::vector<double> sizes;
    for (const PayloadFile& file : payload.files) {
        smallest = std::min(smallest, file.size);
        largest = std::max(largest, file.size);
        sizes.push_back(file.size);
    }
    std::printf("  payload: %d files in %d folders, %.1f MB (%llu bytes), %lu to %lu bytes, mean %.1f KB, median %.1f KB; "
                "written in %.1f s\n",
                kFileCount, kFolderCount, static_cast<double>(payload.totalBytes) / 1e6,
                static_cast<unsigned long long>(payload.totalBytes), smallest, largest,
                static_cast<double>(payload.totalBytes) / kFileCount / 1024.0, Median(sizes) / 1024.0,
                Now() - generationStart);
    std::printf("  %d measured rounds per list after a warm-up round; odd rounds setup first, even rounds raw first\n",
                rounds);
    if (profile && kCanProfile) {
        FindImportSlots();
        std::printf("  profile timer: %.3f us per timed call\n", TimerPairCostMicroseconds());
        PrintCallCosts();
    }
    std::fflush(stdout);

    std::vector<StyleSummary> summaries;
    if (perFile) summaries.push_back(RunStyle(payload, ListStyle::PerFile, rounds, profile));
    if (wildcard) summaries.push_back(RunStyle(payload, ListStyle::Wildcard, rounds, profile));

    RemoveTree(kRoot);
    RemoveOwnRestartEntries();
    const bool cleaned = !Exists(kRoot);

    bool ok = cleaned;
    std::printf("\n== Medians over %d rounds (goal: ratio at most %.2f)\n", rounds, kGoal);
    for (const StyleSummary& s : summaries) {
        ok = ok && s.ok;
        std::printf("  %-14s CopyPayload %7.3f s vs CopyFileW loop   %7.3f s: ratio %5.3f (rounds %.2f to %.2f) %s\n",
                    StyleName(s.style), s.setupCopy, s.rawCopy, s.copyRatio, s.copyLow, s.copyHigh,
                    s.copyRatio <= kGoal ? "goal met" : "ABOVE THE GOAL");
        std::printf("  %-14s ReplayLog   %7.3f s vs DeleteFileW loop %7.3f s: ratio %5.3f (rounds %.2f to %.2f) %s\n",
                    StyleName(s.style), s.setupReplay, s.rawDelete, s.deleteRatio, s.deleteLow, s.deleteHigh,
                    s.deleteRatio <= kGoal ? "goal met" : "ABOVE THE GOAL");
        if (!s.ok) std::printf("  %-14s SOME CHECKS FAILED: the figures above do not count\n", "");
    }
    std::printf("  (medians of the per-round ratios; the times are the medians of each side on its own)\n");
    std::printf("  benchmark folder %s; %.0f s in all\n", cleaned ? "removed" : "COULD NOT BE REMOVED", Now() - runStart);
    return ok ? 0 : 1;
}
