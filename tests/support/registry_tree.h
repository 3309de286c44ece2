// Whole registry keys for tests that must touch the machine's real keys: read a key with
// everything below it, and put it back exactly as it was at the end.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace glt::test {

struct RegData {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const RegData&) const = default;
};

// A key and everything below it. Paths are relative to the key ("" is the key itself); the
// default value has the empty name.
struct RegTree {
    bool exists = false;
    std::set<std::wstring> keys;
    std::map<std::pair<std::wstring, std::wstring>, RegData> values;  // (key, value name) -> data
    bool operator==(const RegTree&) const = default;
};

RegTree ReadRegTree(HKEY root, const std::wstring& subkey);

// Saves the key's tree, and which of the keys above it did not exist, at construction; at
// destruction deletes whatever is there now and puts back the saved tree, or removes the key
// and those missing keys above it again (when nothing else has come to live in them).
class SavedRegTree {
public:
    SavedRegTree(HKEY root, std::wstring subkey);
    ~SavedRegTree();
    SavedRegTree(const SavedRegTree&) = delete;
    SavedRegTree& operator=(const SavedRegTree&) = delete;

    // Deletes the key with everything below it now; true when it is gone.
    bool Clear() const;
    HKEY root() const { return root_; }
    const std::wstring& subkey() const { return subkey_; }

private:
    HKEY root_;
    std::wstring subkey_;
    std::vector<std::wstring> missingAbove_;  // deepest first
    RegTree saved_;
};

}  // namespace glt::test
