#pragma once

// Files and folders in places that other accounts may write to (a shared
// archive folder): a file is only ever created new, never through a symbolic
// link someone planted at its name, and a folder that must hold only what this
// account wrote is checked to be its own.
#include <cstdio>
#include <filesystem>
#include <string>

namespace qorita {

// Creates APath for writing; fails (nullptr, errno set, as std::fopen) when
// the name is taken, also by a link, so that nothing is written anywhere else
// nor over another file.
std::FILE* OpenNewFile(const std::filesystem::path& APath);

// Makes sure APath is a folder of this account that no other account can
// write into or read: created with owner-only access when missing (and its
// parent synced), its access narrowed when wider. Raises an Exception naming
// the path when it is a link, not a folder, or belongs to another account.
void MakePrivateFolder(const std::filesystem::path& APath);

// The same checks without creating: false when APath does not exist.
bool CheckPrivateFolder(const std::filesystem::path& APath);

// Reads a whole file, never through a link; false when it does not exist.
bool ReadFileNoLink(const std::filesystem::path& APath, std::string& AText);

}  // namespace qorita
