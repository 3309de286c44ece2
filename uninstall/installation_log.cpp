#include "uninstall/installation_log.h"

#include <utility>

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The run-time's own conversion stops the line at the first character outside ISO 8859-1, so the
// bytes are made here and written in binary mode.
std::string ToLogBytes(const std::wstring& text) {
    std::string bytes;
    bytes.reserve(text.size() + 2);
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c <= 0xFF) {
            bytes.push_back(static_cast<char>(static_cast<unsigned char>(c)));
            continue;
        }
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
        bytes.push_back('?');
    }
    return bytes;
}

bool IsWhiteSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

}  // namespace

void AppendLogLine(const std::wstring& logPath, const std::wstring& text) {
    std::string bytes = ToLogBytes(text);
    bytes += "\r\n";
    FILE* file = _wfopen(logPath.c_str(), L"ab");
    if (!file) return;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

// Binary mode, with text mode's CR LF rule applied by hand, so that every byte comes through and
// the 511-character limit still falls where text mode puts it.
LogReader::LogReader(const std::wstring& path) : m_file(_wfopen(path.c_str(), L"rb")) {}

LogReader::~LogReader() {
    if (m_file) fclose(m_file);
}

bool LogReader::NextLine(std::wstring& line) {
    line.clear();
    if (!m_file) return false;
    std::wstring piece;
    while (piece.size() < kMaxLogPieceChars) {
        int c = getc(m_file);
        if (c == EOF) break;
        if (c == '\r') {
            const int next = getc(m_file);
            if (next == '\n')
                c = '\n';
            else if (next != EOF)
                ungetc(next, m_file);
        }
        piece.push_back(static_cast<wchar_t>(c));
        if (c == '\n') break;
    }
    if (piece.empty()) return false;

    const size_t nul = piece.find(L'\0');
    if (nul != std::wstring::npos) piece.resize(nul);
    size_t length = piece.size();
    while (length > 1 && piece[length - 1] <= 0x20) --length;
    piece.resize(length);
    line = std::move(piece);
    return true;
}

void LogReader::Rewind() {
    if (m_file) rewind(m_file);
}

bool TakePrefix(const std::wstring& line, const wchar_t* prefix, std::wstring& rest) {
    const size_t length = std::char_traits<wchar_t>::length(prefix);
    if (line.size() < length || line.compare(0, length, prefix) != 0) return false;
    rest = line.substr(length);
    return true;
}

std::wstring CutRemark(const std::wstring& line) {
    const size_t remark = line.find(L" | ");
    return remark == std::wstring::npos ? line : line.substr(0, remark);
}

FileSpecification SplitFileSpecification(const std::wstring& specification) {
    FileSpecification result;
    const size_t separator = specification.find(L'>');
    if (separator == std::wstring::npos) {
        result.source = specification;
        return result;
    }
    size_t end = separator;
    while (end > 0 && IsWhiteSpace(specification[end - 1])) --end;
    size_t begin = separator + 1;
    while (begin < specification.size() && IsWhiteSpace(specification[begin])) ++begin;
    result.source = specification.substr(0, end);
    result.destination = specification.substr(begin);
    result.hasDestination = true;
    return result;
}
