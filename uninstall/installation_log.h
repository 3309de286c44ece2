// The installation log "GltUnInst.log" (and its relatives, the payload log and the legacy
// "install.log"): one 8-bit line format, one writer and one reader that every reader uses.
// Older and newer setups read the same files, so both sides are exact to the byte.
#pragma once

#include <cstdio>
#include <string>

// The nine line kinds, spelled exactly; a line is of a kind when it begins with one of these.
inline constexpr wchar_t kMakeDir[] = L"Make Dir: ";
inline constexpr wchar_t kFileCopy[] = L"File Copy: ";
inline constexpr wchar_t kFileCopyX64[] = L"File Copy x64: ";
inline constexpr wchar_t kFileCopyInd[] = L"File Copy ind: ";
inline constexpr wchar_t kFileCopyPrt[] = L"File Copy prt: ";
inline constexpr wchar_t kFileOverwrite[] = L"File Overwrite: ";
inline constexpr wchar_t kFileDel[] = L"File Del: ";
inline constexpr wchar_t kMadeDir[] = L"Made Dir: ";
inline constexpr wchar_t kShellLink[] = L"Shell Link: ";

// The six kinds whose rest is a file specification, in the order the log replay tries them.
inline constexpr const wchar_t* kFileKinds[] = {kFileCopy,    kFileCopyX64,   kFileCopyInd,
                                                kFileCopyPrt, kFileOverwrite, kFileDel};

// Readers take a line in pieces of at most this many characters (a buffer of 512).
inline constexpr size_t kLogLineBufferChars = 512;
inline constexpr size_t kMaxLogPieceChars = kLogLineBufferChars - 1;

// Appends text and CR LF to the log, creating the file when it is missing; one open, write and
// close per line. Each UTF-16 unit U+0000..U+00FF becomes the byte of that value; any other
// character becomes one "?" (a surrogate pair is one character, so one "?"; a lone surrogate
// too). A log that cannot be opened loses the line without a report.
void AppendLogLine(const std::wstring& logPath, const std::wstring& text);

// Reads a log piece by piece as every reader of the program sees it.
//
// The bytes are read untranslated and each becomes the character of the same code (the run-time's
// text mode would stop at a 0x1A byte and depends on the locale for 0x80..0xFF). Line ends are
// those of text mode: a piece ends after an LF, a CR directly before an LF is dropped, any other
// CR is an ordinary character. A piece holds at most 511 characters, its LF included; the rest of
// a longer line comes as the next piece. A NUL ends the text of its piece, as it ends the string
// of a 512-character buffer. Then trailing characters 0x00..0x20 are removed, never the first: an
// empty line reads as "\n", a line of blanks as one blank.
class LogReader {
public:
    // A log that cannot be opened reads as empty.
    explicit LogReader(const std::wstring& path);
    ~LogReader();
    LogReader(const LogReader&) = delete;
    LogReader& operator=(const LogReader&) = delete;

    bool IsOpen() const { return m_file != nullptr; }
    // The next piece in line; false at the end of the file (and always for a log not open).
    bool NextLine(std::wstring& line);
    // Back to the first line, for a second pass within the same open.
    void Rewind();

private:
    FILE* m_file = nullptr;
};

// Whether line begins, case-sensitively, with prefix; rest is then everything after it, unchanged
// (leading blanks included). rest is left as it was when the line is of another kind.
bool TakePrefix(const std::wstring& line, const wchar_t* prefix, std::wstring& rest);

// The line up to, not including, its first " | "; the whole line when it has none.
std::wstring CutRemark(const std::wstring& line);

// A file specification: a source alone, or "source > destination" split at the first ">".
struct FileSpecification {
    std::wstring source;       // before the ">" without trailing white space; else the whole text
    std::wstring destination;  // after the ">" without leading white space; else empty
    bool hasDestination = false;
};
// White space here is blank, tab, CR, LF, VT and FF.
FileSpecification SplitFileSpecification(const std::wstring& specification);
