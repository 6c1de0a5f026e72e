#pragma once

// Files that must still be there, whole, after the process is killed or the
// machine goes down: written through the kernel's cache to the disk, and the
// folder entry that names them too. Failures raise an Exception naming the
// path and the system's reason.
#include <filesystem>
#include <string>
#include <string_view>

namespace qorita {

// Writes AText to a temporary file beside APath, syncs it, renames it over
// APath and syncs the folder: a reader finds the old content or the new, never
// a part.
void WriteFileDurably(const std::filesystem::path& APath, std::string_view AText);

// Reads a whole file; false when it does not exist.
bool ReadWholeFile(const std::filesystem::path& APath, std::string& AText);

// Syncs the content of an existing file.
void SyncFile(const std::filesystem::path& APath);

// Syncs a folder's entries: files created, renamed or removed in it.
void SyncFolder(const std::filesystem::path& APath);

// Creates the folder when it is missing, and then syncs its parent so that the
// new folder survives a crash.
void CreateFolderDurably(const std::filesystem::path& APath);

}  // namespace qorita
