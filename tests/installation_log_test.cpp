// The installation log: the bytes that AppendLogLine leaves on disk, and what LogReader and the
// line helpers give every reader for hostile files written byte for byte.
#include "uninstall/installation_log.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;
using glt::test::Narrow;
using glt::test::TempDir;

using Kinds = std::vector<std::pair<std::wstring, std::wstring>>;

constexpr const wchar_t* kAllKinds[] = {kMakeDir, kFileCopy, kFileCopyX64, kFileCopyInd, kFileCopyPrt,
                                        kFileOverwrite, kFileDel, kMadeDir, kShellLink};

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
        out += ' ';
    }
    return out;
}

std::vector<std::wstring> ReadLines(LogReader& reader) {
    std::vector<std::wstring> lines;
    std::wstring line;
    while (reader.NextLine(line)) lines.push_back(line);
    return lines;
}

std::vector<std::wstring> ReadLines(const std::wstring& path) {
    LogReader reader(path);
    return ReadLines(reader);
}

// The kind and rest of every line that is of one of the nine kinds, as TakePrefix sees them.
Kinds KindsOf(const std::vector<std::wstring>& lines) {
    Kinds kinds;
    for (const auto& line : lines) {
        for (const wchar_t* prefix : kAllKinds) {
            std::wstring rest;
            if (TakePrefix(line, prefix, rest)) {
                kinds.emplace_back(prefix, rest);
                break;
            }
        }
    }
    return kinds;
}

// Holds a file open without any sharing, as another program may.
class ExclusiveLock {
public:
    explicit ExclusiveLock(const std::wstring& path)
        : handle_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~ExclusiveLock() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// ---- Writing

TEST(AppendLogLine, StoresOneBytePerCharacterAndQuestionMarksOutsideLatin1) {
    struct Case {
        const char* name;
        std::wstring text;
        std::string bytes;  // without the line end
    };
    const Case cases[] = {
        {"ascii path", L"Shell Link: C:\\Users\\Ana\\Glintora 7.lnk", "Shell Link: C:\\Users\\Ana\\Glintora 7.lnk"},
        {"accents", L"Made Dir: C:\\Caf\u00e9\\\u00ff", "Made Dir: C:\\Caf\xe9\\\xff"},
        {"control and high codes", L"\u00a0\x80\x7f\x01", "\xa0\x80\x7f\x01"},
        {"first code above the range", L"\u0100", "?"},
        {"OE ligature mid-line, rest still written", L"C:\\\u0152uvres\\\u00e9t\u00e9.lnk", "C:\\?uvres\\\xe9t\xe9.lnk"},
        {"euro sign", L"\u20ac 5", "? 5"},
        {"surrogate pair is one character", L"x\U0001F600y", "x?y"},
        {"lone high surrogate", L"a\xd800" L"b", "a?b"},
        {"lone low surrogate at the end", L"a\xdc00", "a?"},
        {"two pairs in a row", L"\U0001F600\U0001F601", "??"},
        {"question mark itself", L"a?b", "a?b"},
        {"empty text", L"", ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::wstring log = dir.Path(L"GltUnInst.log");
        AppendLogLine(log, c.text);
        const std::string expected = c.bytes + "\r\n";
        const std::string actual = dir.ReadFile(L"GltUnInst.log");
        EXPECT_EQ(actual, expected) << c.name << ": got " << Hex(actual) << "wanted " << Hex(expected);
    }
}

TEST(AppendLogLine, AppendsToWhatIsThereWithoutTouchingIt) {
    TempDir dir;
    // A payload log as packaging may leave it: bare LF, high bytes, a 0x1A and no final line end.
    const std::string payload = "Make Dir: x64\nFile Copy: \xe9t\xe9.txt\r\n\x1a\r\nFile Copy: Glintr7.exe"s;
    ASSERT_TRUE(dir.WriteFile(L"GltUnInst.log", payload));
    const std::wstring log = dir.Path(L"GltUnInst.log");

    AppendLogLine(log, L"");
    AppendLogLine(log, L"Made Dir: C:\\ProgramData\\Start Menu\\Glintora 7");
    AppendLogLine(log, L"Shell Link: C:\\ProgramData\\Start Menu\\Glintora 7\\Glintora 7.lnk");

    const std::string expected = payload + "\r\n" + "Made Dir: C:\\ProgramData\\Start Menu\\Glintora 7\r\n" +
                                 "Shell Link: C:\\ProgramData\\Start Menu\\Glintora 7\\Glintora 7.lnk\r\n";
    const std::string actual = dir.ReadFile(L"GltUnInst.log");
    EXPECT_EQ(actual, expected) << Hex(actual);

    // Every line is one open and close: nothing of ours still holds the file.
    ExclusiveLock lock(log);
    EXPECT_TRUE(lock.Held()) << "the log is still open after AppendLogLine";
}

TEST(AppendLogLine, CreatesAMissingLogInAnExistingFolder) {
    TempDir dir;
    const std::wstring log = dir.Path(L"GltUnInst.log");
    AppendLogLine(log, L"Made Dir: C:\\G");
    AppendLogLine(log, L"Shell Link: C:\\G\\a.lnk");
    EXPECT_EQ(dir.ReadFile(L"GltUnInst.log"), "Made Dir: C:\\G\r\nShell Link: C:\\G\\a.lnk\r\n");
}

TEST(AppendLogLine, LosesTheLineSilentlyWhenTheLogCannotBeOpened) {
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryW(dir.Path(L"folder.log").c_str(), nullptr));
    ASSERT_TRUE(dir.WriteFile(L"locked.log", "File Copy: a.exe\r\n"));

    AppendLogLine(dir.Path(L"no such folder\\GltUnInst.log"), L"Made Dir: C:\\G");
    EXPECT_FALSE(dir.Exists(L"no such folder")) << "a missing folder must not be created";

    AppendLogLine(dir.Path(L"folder.log"), L"Made Dir: C:\\G");
    EXPECT_EQ(GetFileAttributesW(dir.Path(L"folder.log").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));

    {
        ExclusiveLock lock(dir.Path(L"locked.log"));
        ASSERT_TRUE(lock.Held());
        AppendLogLine(dir.Path(L"locked.log"), L"Made Dir: C:\\G");
    }
    EXPECT_EQ(dir.ReadFile(L"locked.log"), "File Copy: a.exe\r\n");
}

// ---- Reading

TEST(LogReader, HostileLinesReadAsEveryReaderSeesThem) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::wstring> lines;
        Kinds kinds;
    };
    const Case cases[] = {
        {"CR LF and bare LF alike",
         "Make Dir: x64\r\nFile Copy: a.exe\nShell Link: C:\\G\\a.lnk\r\n",
         {L"Make Dir: x64", L"File Copy: a.exe", L"Shell Link: C:\\G\\a.lnk"},
         {{kMakeDir, L"x64"}, {kFileCopy, L"a.exe"}, {kShellLink, L"C:\\G\\a.lnk"}}},
        {"no line end at the end of the file",
         "File Copy: a.exe\r\nShell Link: C:\\a.lnk",
         {L"File Copy: a.exe", L"Shell Link: C:\\a.lnk"},
         {{kFileCopy, L"a.exe"}, {kShellLink, L"C:\\a.lnk"}}},
        {"CR without LF ends no line",
         "Shell Link: a.lnk\rShell Link: b.lnk\r\n",
         {L"Shell Link: a.lnk\rShell Link: b.lnk"},
         {{kShellLink, L"a.lnk\rShell Link: b.lnk"}}},
        {"CR CR LF, and a CR at the end of the file",
         "Shell Link: a.lnk\r\r\nShell Link: b.lnk\r",
         {L"Shell Link: a.lnk", L"Shell Link: b.lnk"},
         {{kShellLink, L"a.lnk"}, {kShellLink, L"b.lnk"}}},
        {"NUL bytes end the text of their line",
         "Shell Link: a.lnk\0\0\r\nShell Link: b\0c.lnk\r\n\0Shell Link: d.lnk\r\nFile Copy: e\0>f\r\nMade Dir: g\r\n"s,
         {L"Shell Link: a.lnk", L"Shell Link: b", L"", L"File Copy: e", L"Made Dir: g"},
         {{kShellLink, L"a.lnk"}, {kShellLink, L"b"}, {kFileCopy, L"e"}, {kMadeDir, L"g"}}},
        {"0x1A is a character, not the end of the file",
         "Shell Link: a.lnk\x1a\r\n\x1a\r\nShell Link: b.lnk\r\n",
         {L"Shell Link: a.lnk", L"\x1a", L"Shell Link: b.lnk"},
         {{kShellLink, L"a.lnk"}, {kShellLink, L"b.lnk"}}},
        {"bytes 0x80 to 0xFF become the same codes; 0x7F and 0xA0 are not trimmed",
         "Shell Link: C:\\\xc9t\xe9\\\x80\x9f\xff.lnk\xa0\x7f\r\n",
         {L"Shell Link: C:\\\u00c9t\u00e9\\\x80\x9f\u00ff.lnk\u00a0\x7f"},
         {{kShellLink, L"C:\\\u00c9t\u00e9\\\x80\x9f\u00ff.lnk\u00a0\x7f"}}},
        {"prefix in another case, without its space, or with nothing after it",
         "shell link: a\r\nShell link: b\r\nSHELL LINK: c\r\nShell Link:d\r\nShell Link: \r\nmake dir: x\r\n",
         {L"shell link: a", L"Shell link: b", L"SHELL LINK: c", L"Shell Link:d", L"Shell Link:", L"make dir: x"},
         {}},
        {"a leading blank or tab matches no kind",
         " Shell Link: a.lnk\r\n\tMade Dir: C:\\G\r\n",
         {L" Shell Link: a.lnk", L"\tMade Dir: C:\\G"},
         {}},
        {"trailing blanks and tabs go, blanks after the prefix stay",
         "Shell Link: a.lnk \t \t\r\nFile Copy:   b.txt\t\x0b\x0c\r\n",
         {L"Shell Link: a.lnk", L"File Copy:   b.txt"},
         {{kShellLink, L"a.lnk"}, {kFileCopy, L"  b.txt"}}},
        {"empty and blank lines keep their first character",
         "\r\n\n   \r\n\t\t\r\nMade Dir: C:\\G\r\n",
         {L"\n", L"\n", L" ", L"\t", L"Made Dir: C:\\G"},
         {{kMadeDir, L"C:\\G"}}},
        {"all nine kinds",
         "Make Dir: a\r\nFile Copy: b\r\nFile Copy x64: c\r\nFile Copy ind: d\r\nFile Copy prt: e\r\n"
         "File Overwrite: f\r\nFile Del: g\r\nMade Dir: h\r\nShell Link: i\r\n",
         {L"Make Dir: a", L"File Copy: b", L"File Copy x64: c", L"File Copy ind: d", L"File Copy prt: e",
          L"File Overwrite: f", L"File Del: g", L"Made Dir: h", L"Shell Link: i"},
         {{kMakeDir, L"a"}, {kFileCopy, L"b"}, {kFileCopyX64, L"c"}, {kFileCopyInd, L"d"}, {kFileCopyPrt, L"e"},
          {kFileOverwrite, L"f"}, {kFileDel, L"g"}, {kMadeDir, L"h"}, {kShellLink, L"i"}}},
        {"empty file", "", {}, {}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        ASSERT_TRUE(dir.WriteFile(L"GltUnInst.log", c.bytes));
        LogReader reader(dir.Path(L"GltUnInst.log"));
        ASSERT_TRUE(reader.IsOpen()) << c.name;
        const auto lines = ReadLines(reader);
        EXPECT_EQ(lines, c.lines) << c.name;
        EXPECT_EQ(KindsOf(lines), c.kinds) << c.name;
    }
}

TEST(LogReader, TakesLongLinesIn511CharacterPieces) {
    const std::string x511(511, 'x');
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::wstring> lines;
    };
    const Case cases[] = {
        {"600 characters", std::string(600, 'x') + "\r\n", {std::wstring(511, L'x'), std::wstring(89, L'x')}},
        {"510 and CR LF: the CR does not count", std::string(510, 'x') + "\r\nz", {std::wstring(510, L'x'), L"z"}},
        {"511 and CR LF: the line end comes alone", x511 + "\r\nz", {std::wstring(511, L'x'), L"\n", L"z"}},
        {"511 and LF", x511 + "\nz", {std::wstring(511, L'x'), L"\n", L"z"}},
        {"1100 without line end", std::string(1100, 'x'), {std::wstring(511, L'x'), std::wstring(511, L'x'),
                                                             std::wstring(78, L'x')}},
        {"a prefix right after 511 characters starts a line of its kind", x511 + "Shell Link: C:\\a.lnk\r\n",
         {std::wstring(511, L'x'), L"Shell Link: C:\\a.lnk"}},
        {"each piece is trimmed on its own", std::string(505, 'x') + std::string(10, ' ') + "yy\r\n",
         {std::wstring(505, L'x'), L"    yy"}},
        {"a NUL counts toward the limit", "ab\0"s + std::string(600, 'x') + "\r\n", {L"ab", std::wstring(92, L'x')}},
        {"a lone CR counts toward the limit", "a\r" + std::string(520, 'x') + "\r\n",
         {L"a\r" + std::wstring(509, L'x'), std::wstring(11, L'x')}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        ASSERT_TRUE(dir.WriteFile(L"GltUnInst.log", c.bytes));
        const auto lines = ReadLines(dir.Path(L"GltUnInst.log"));
        ASSERT_EQ(lines.size(), c.lines.size()) << c.name;
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].size(), c.lines[i].size()) << c.name << ", piece " << i;
            EXPECT_TRUE(lines[i] == c.lines[i]) << c.name << ", piece " << i << ": " << Narrow(lines[i]);
        }
    }
    TempDir dir;
    ASSERT_TRUE(dir.WriteFile(L"GltUnInst.log", x511 + "Shell Link: C:\\a.lnk\r\n"));
    EXPECT_EQ(KindsOf(ReadLines(dir.Path(L"GltUnInst.log"))), (Kinds{{kShellLink, L"C:\\a.lnk"}}));
}

TEST(LogReader, RewindGivesTheSameLinesAgain) {
    TempDir dir;
    // A piece that ends right after a lone CR leaves the reader looking one byte ahead.
    ASSERT_TRUE(dir.WriteFile(L"GltUnInst.log", "Shell Link: a.lnk\r\n" + std::string(510, 'x') +
                                                    "\ryy\r\nMade Dir: C:\\G\r\nFile Del: \xe9.txt"));
    LogReader reader(dir.Path(L"GltUnInst.log"));
    ASSERT_TRUE(reader.IsOpen());
    const auto first = ReadLines(reader);
    ASSERT_EQ(first.size(), 5u);
    EXPECT_EQ(first[1], std::wstring(510, L'x'));
    EXPECT_EQ(first[2], L"yy");

    reader.Rewind();
    EXPECT_EQ(ReadLines(reader), first) << "after the end of the file";

    reader.Rewind();
    std::wstring line;
    ASSERT_TRUE(reader.NextLine(line));
    ASSERT_TRUE(reader.NextLine(line));
    reader.Rewind();
    EXPECT_EQ(ReadLines(reader), first) << "in the middle of a line, one byte looked ahead";
}

TEST(LogReader, ALogThatCannotBeOpenedReadsAsEmpty) {
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryW(dir.Path(L"folder.log").c_str(), nullptr));
    ASSERT_TRUE(dir.WriteFile(L"locked.log", "Shell Link: a.lnk\r\n"));
    ExclusiveLock lock(dir.Path(L"locked.log"));
    ASSERT_TRUE(lock.Held());

    for (const wchar_t* name : {L"missing.log", L"no such folder\\GltUnInst.log", L"folder.log", L"locked.log"}) {
        LogReader reader(dir.Path(name));
        EXPECT_FALSE(reader.IsOpen()) << Narrow(name);
        std::wstring line = L"left over";
        EXPECT_FALSE(reader.NextLine(line)) << Narrow(name);
        EXPECT_TRUE(line.empty()) << Narrow(name);
        reader.Rewind();
        EXPECT_FALSE(reader.NextLine(line)) << Narrow(name);
    }
}

// ---- File specifications and remarks

TEST(FileSpecification, SplitsAtTheFirstGreaterThanAfterTheRemarkIsCut) {
    struct Case {
        const wchar_t* rest;
        bool cutRemark;
        const wchar_t* source;
        const wchar_t* destination;
        bool hasDestination;
    };
    const Case cases[] = {
        {L"a.txt", false, L"a.txt", L"", false},
        {L"x64\\*.dll", false, L"x64\\*.dll", L"", false},
        {L"readme.txt > liesmich.txt", false, L"readme.txt", L"liesmich.txt", true},
        {L"readme.txt>liesmich.txt", false, L"readme.txt", L"liesmich.txt", true},
        {L"sub\\a.txt \t>\t  b\\c.txt", false, L"sub\\a.txt", L"b\\c.txt", true},
        {L"  a.txt > b  ", false, L"  a.txt", L"b  ", true},
        {L"a>b>c", false, L"a", L"b>c", true},
        {L"a >", false, L"a", L"", true},
        {L"> b", false, L"", L"b", true},
        // A ">" in a remark reaches the file specification only when the remark is not cut.
        {L"old.dll | moved > new.dll", true, L"old.dll", L"", false},
        {L"old.dll | moved > new.dll", false, L"old.dll | moved", L"new.dll", true},
        {L"a.txt > b.txt | was c > d", true, L"a.txt", L"b.txt", true},
    };
    for (const auto& c : cases) {
        const std::wstring rest = c.cutRemark ? CutRemark(c.rest) : std::wstring(c.rest);
        const FileSpecification fileSpec = SplitFileSpecification(rest);
        const std::string name = Narrow(c.rest) + (c.cutRemark ? " (cut)" : "");
        EXPECT_EQ(fileSpec.source, c.source) << name;
        EXPECT_EQ(fileSpec.destination, c.destination) << name;
        EXPECT_EQ(fileSpec.hasDestination, c.hasDestination) << name;
    }
}

TEST(CutRemark, CutsAtTheFirstSpaceBarSpace) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"File Del: a.txt | remark", L"File Del: a.txt"},
        {L"a | b | c", L"a"},
        {L"a  | b", L"a "},
        {L" | x", L""},
        {L"a|b", L"a|b"},
        {L"a |b", L"a |b"},
        {L"a| b", L"a| b"},
        {L"File Del: a.txt", L"File Del: a.txt"},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(CutRemark(line), expected) << Narrow(line);
}

// ---- Both sides

TEST(InstallationLog, WhatAppendLogLineWritesTheReaderGivesBack) {
    std::wstring latin1;  // every character that a line can carry unchanged
    for (wchar_t c = 0x21; c <= 0xFF; ++c) latin1 += c;

    TempDir dir;
    ASSERT_TRUE(dir.WriteFile(L"GltUnInst.log", "Make Dir: x64\r\nFile Copy: Glintr7.exe"));
    const std::wstring log = dir.Path(L"GltUnInst.log");
    AppendLogLine(log, L"");
    AppendLogLine(log, L"Made Dir: C:\\Menu D\u00e9marrer\\Glintora 7");
    AppendLogLine(log, L"Shell Link: C:\\\u0152uvres\\\u20ac \U0001F600.lnk");
    AppendLogLine(log, L"Shell Link: " + latin1);
    AppendLogLine(log, L"Shell Link: C:\\a.lnk \t ");

    const std::vector<std::wstring> expected = {
        L"Make Dir: x64",
        L"File Copy: Glintr7.exe",  // the empty line keeps what follows on a line of its own
        L"Made Dir: C:\\Menu D\u00e9marrer\\Glintora 7",
        L"Shell Link: C:\\?uvres\\? ?.lnk",
        L"Shell Link: " + latin1,
        L"Shell Link: C:\\a.lnk",
    };
    const auto lines = ReadLines(log);
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(KindsOf(lines).size(), expected.size());
}

}  // namespace
