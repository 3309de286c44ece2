#include "support/registry_tree.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

namespace glt::test {

namespace {

std::wstring Join(const std::wstring& parent, const std::wstring& name) {
    return parent.empty() ? name : parent + L"\\" + name;
}

bool KeyExists(HKEY root, const std::wstring& subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void ReadKey(HKEY key, const std::wstring& relative, RegTree& tree) {
    tree.keys.insert(relative);
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameChars = 16384;
        DWORD type = REG_NONE;
        DWORD bytes = 0;
        if (RegEnumValueW(key, index, name, &nameChars, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) break;
        RegData data;
        data.type = type;
        data.bytes.resize(bytes);
        nameChars = 16384;
        if (RegEnumValueW(key, index, name, &nameChars, nullptr, &type, data.bytes.data(), &bytes) == ERROR_SUCCESS) {
            data.bytes.resize(bytes);
            tree.values[{relative, std::wstring(name, nameChars)}] = std::move(data);
        }
    }
    std::vector<std::wstring> subkeys;
    for (DWORD index = 0;; ++index) {
        wchar_t name[512];
        DWORD nameChars = 512;
        if (RegEnumKeyExW(key, index, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(name, nameChars);
    }
    for (const auto& name : subkeys) {
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, name.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
        ReadKey(sub, Join(relative, name), tree);
        RegCloseKey(sub);
    }
}

bool WriteTree(HKEY root, const std::wstring& subkey, const RegTree& tree) {
    bool ok = true;
    for (const auto& relative : tree.keys) {
        HKEY key = nullptr;
        ok &= RegCreateKeyExW(root, Join(subkey, relative).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr) == ERROR_SUCCESS;
        if (key) RegCloseKey(key);
    }
    for (const auto& [where, data] : tree.values) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, Join(subkey, where.first).c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
            ok = false;
            continue;
        }
        ok &= RegSetValueExW(key, where.second.c_str(), 0, data.type, data.bytes.data(),
                             static_cast<DWORD>(data.bytes.size())) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    return ok;
}

}  // namespace

RegTree ReadRegTree(HKEY root, const std::wstring& subkey) {
    RegTree tree;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return tree;
    tree.exists = true;
    ReadKey(key, L"", tree);
    RegCloseKey(key);
    return tree;
}

SavedRegTree::SavedRegTree(HKEY root, std::wstring subkey) : root_(root), subkey_(std::move(subkey)) {
    for (size_t at = subkey_.rfind(L'\\'); at != std::wstring::npos && at > 0; at = subkey_.rfind(L'\\', at - 1)) {
        std::wstring above = subkey_.substr(0, at);
        if (KeyExists(root_, above)) break;
        missingAbove_.push_back(above);
    }
    saved_ = ReadRegTree(root_, subkey_);
}

SavedRegTree::~SavedRegTree() {
    Clear();
    if (saved_.exists) {
        if (!WriteTree(root_, subkey_, saved_)) ADD_FAILURE() << "could not put back " << Narrow(subkey_);
    } else {
        // RegDeleteKeyW leaves a key that has subkeys: a key above that something else now uses stays.
        for (const auto& above : missingAbove_) RegDeleteKeyW(root_, above.c_str());
    }
    if (!(ReadRegTree(root_, subkey_) == saved_)) ADD_FAILURE() << "not put back as it was: " << Narrow(subkey_);
}

bool SavedRegTree::Clear() const {
    const LSTATUS status = RegDeleteTreeW(root_, subkey_.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return false;
    RegDeleteKeyW(root_, subkey_.c_str());
    return !KeyExists(root_, subkey_);
}

}  // namespace glt::test
