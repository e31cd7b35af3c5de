#include "scanners/scan_written_files.h"

#include <map>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include <fmt/format.h>

#include "airports/apf_locate.h"
#include "core/files.h"
#include "core/log.h"
#include "core/text_convert.h"
#include "core/text_lines.h"
#include "scanners/scan_report.h"

namespace fs = std::filesystem;

namespace ovr
{

namespace
{

// This scan's files by airport (the file's stem): the file and its source.
struct Written
{
    fs::path file;
    std::string source;
};
std::map<std::string, Written> g_writtenThisScan;

// Beside the folder, not in it: the folder's entries are counted and shown.
fs::path lf_listOf(const fs::path& folder)
{
    return folder.parent_path() / (folder.filename().native() + fs::path(".scan-written.txt").native());
}

std::set<std::string> lf_written(const fs::path& folder)
{
    LineFile lines{lf_listOf(folder), {}};
    gf_readFileLines(lines, 0);
    return {lines.lines.begin(), lines.lines.end()};
}

// A name free in the backup folder: an earlier backup is never replaced.
fs::path lf_freeBackupName(const fs::path& backup, const fs::path& name)
{
    fs::path target = backup / name;
    std::error_code ec;
    for (int n = 2; fs::exists(target, ec); ++n)
        target = backup / (name.native() + fs::path(fmt::format(".{}", n)).native());
    return target;
}

void lf_moveToBackup(const fs::path& file)
{
    const fs::path folder = file.parent_path();
    const fs::path backup =
        folder.parent_path() / (folder.filename().native() + fs::path("_backup").native());
    std::error_code ec;
    fs::create_directories(backup, ec);
    const fs::path target = lf_freeBackupName(backup, file.filename());
    fs::rename(file, target, ec);
    if (ec)
        gf_logWarning(fmt::format("{} was not written by the airport scan and could not be moved to {}: {}",
                                  gf_pathToUtf8(file), gf_pathToUtf8(target), ec.message()));
    else
        gf_log(fmt::format("{} was not written by the airport scan, moved to {}", gf_pathToUtf8(file),
                           gf_pathToUtf8(target)));
}

} // namespace

void gf_makeRoomForScanFile(const fs::path& file, const std::string& source)
{
    const fs::path folder = file.parent_path();
    const std::string airport = gf_pathToUtf8(file.stem());
    if (const auto earlier = g_writtenThisScan.find(airport); earlier != g_writtenThisScan.end())
    {
        // The same scenery file or package again is no second package.
        if (earlier->second.source != source)
            gf_reportScan(fmt::format("{}{} found in two packages: {} replaces {} from {}", "===> ", airport,
                                      source, gf_pathToUtf8(earlier->second.file.filename()),
                                      earlier->second.source));
        // A link and a generated file for one airport: the link would win.
        if (earlier->second.file != file)
            gf_removeFileWarn(earlier->second.file);
        g_writtenThisScan.erase(earlier);
    }
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return;
    const std::set<std::string> written = lf_written(folder);
    for (const char* extension : {".xml", ".txt"})
    {
        // Airport files are looked up without regard to case.
        const fs::path existing =
            gf_existingCaseBlind(folder / fs::path(file.stem()).replace_extension(extension));
        if (!existing.empty() && !written.contains(gf_pathToUtf8(existing.filename())))
            lf_moveToBackup(existing);
    }
}

void gf_noteScanWritten(const fs::path& file, const std::string& source)
{
    const fs::path list = lf_listOf(file.parent_path());
    LineFile lines{list, {}};
    gf_readFileLines(lines, 0);
    lines.lines.push_back(gf_pathToUtf8(file.filename()));
    gf_writeLines(lines.lines, list);
    g_writtenThisScan[gf_pathToUtf8(file.stem())] = Written{file, source};
}

void gf_clearScanWritten(const fs::path& folder)
{
    for (const std::string& name : lf_written(folder))
    {
        const fs::path file = folder / gf_utf8ToPath(name);
        std::error_code ec;
        if (fs::is_regular_file(file, ec))
            gf_removeFileWarn(file);
    }
    std::error_code ec;
    fs::remove(lf_listOf(folder), ec);
    std::erase_if(g_writtenThisScan,
                  [&](const auto& entry) { return entry.second.file.parent_path() == folder; });
}

} // namespace ovr
