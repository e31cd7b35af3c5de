// Small file-system functions that the start-up, the settings, the data-file
// readers and writers and the scanners share. Removals never throw for a
// failed removal; they write a warning.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <ostream>
#include <system_error>
#include <vector>

#include "core/fixed_code.h"

namespace ovr
{

// Opens a file as std::fopen does, with a name that is not limited to the
// ANSI code page on Windows.
std::FILE* gf_openFile(const std::filesystem::path& file, const char* mode);
// Removes a file if it exists; a failed removal is logged. A failed existence
// query (other than "not found") throws std::filesystem::filesystem_error.
void gf_removeFileWarn(const std::filesystem::path& file);
// Removes every regular file directly in the folder; sub-folders stay.
void gf_removeFilesFromDirectory(const std::filesystem::path& folder);
// Removes every regular file directly in the folder whose extension is .xml
// in any letter case.
void gf_removeXMLFilesFromDirectory(const std::filesystem::path& folder);
// Entries directly in the folder, files and sub-folders alike; 0 when the
// folder does not exist. Throws std::filesystem::filesystem_error when it
// cannot be read.
std::int64_t gf_countFolderEntries(const std::filesystem::path& folder);
// The codes of the airport files (a four-character stem and the extension
// .xml in any case) directly in the folder, in the order of their names; a
// four-character stem that is not a code is skipped with a warning.
std::vector<FixedCode<4>> gf_listIcaoXmlFiles(const std::filesystem::path& folder);

// The entries directly in a folder, sorted by name with ASCII letters folded
// (the order in which Windows lists them); folders that may not be read are
// passed over. `ec` holds the error when listing fails; the entries read
// before it are returned.
std::vector<std::filesystem::directory_entry> gf_sortedFolderEntries(const std::filesystem::path& folder,
                                                                    std::error_code& ec);

// Writes a file through `write` into a temporary file beside it and renames
// that over the file, so a reader never sees it half written and a failed
// write leaves the old file as it was. False when the temporary file cannot
// be made, `write` returns false, the stream fails or the rename fails.
// The temporary file is "<file>.tmp", one per file: a save cut short leaves
// at most that one, which the next save overwrites.
bool gf_replaceFile(const std::filesystem::path& file, const std::function<bool(std::ostream&)>& write);
// Removes what a save of `file` cut short left behind (at start).
void gf_removeLeftoverTemporary(const std::filesystem::path& file);

} // namespace ovr
