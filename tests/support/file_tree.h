// Small trees of files and folders for tests, and a listing of everything a folder holds, so that
// a test sees every entry that went and every one that stayed, wherever it lies.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace glt::test {

// Creates each entry below root, in order: a name ending with "\" is a folder, any other name a
// file. Parents come before what they hold. Long paths are allowed. False at the first failure.
bool MakeTree(const std::wstring& root, const std::vector<std::wstring>& entries);

// Every entry below root, relative to it, a folder with a trailing "\", long paths included.
std::set<std::wstring> ListTree(const std::wstring& root);

// entries without those named in gone.
std::set<std::wstring> Without(const std::vector<std::wstring>& entries, const std::vector<std::wstring>& gone);

// Removes root and everything below it, long paths included.
void RemoveLongTree(const std::wstring& root);

}  // namespace glt::test
