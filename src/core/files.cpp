#include "core/files.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include <fmt/format.h>

#include "core/log.h"
#include "core/text.h"

namespace ovr
{

namespace
{

namespace fs = std::filesystem;

bool lf_hasXmlExtension(const fs::path& file)
{
    return gf_upperEquals(".XML", file.extension().string());
}

// Removes the regular files of a folder that `wanted` accepts; failures are
// logged and the loop goes on. File-system errors of the folder itself end
// the function with a warning carrying its name.
template <class Pred> void lf_removeFilesIn(const fs::path& folder, const char* functionName, Pred wanted)
{
    try
    {
        fs::file_status status = fs::status(folder);
        if (!fs::is_directory(status))
            return;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        {
            if (!entry.is_regular_file() || !wanted(entry.path()))
                continue;
            std::error_code ec;
            if (!fs::remove(entry.path(), ec) && ec)
                gf_logWarning(fmt::format("Failed to remove {} ({})", entry.path().string(), ec.message()));
        }
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{} exception: {}", functionName, e.what()));
    }
}

// One temporary name per file, so that a save cut short (the process
// killed) leaves at most one file behind, which the next save reuses and
// removes. Writers of one file take turns: each file maps to one of a few
// process-wide locks.
fs::path lf_temporaryName(const fs::path& file)
{
    return fs::path(file) += ".tmp";
}

std::mutex& lf_replaceLock(const fs::path& file)
{
    static std::array<std::mutex, 32> locks;
    std::error_code ec;
    fs::path full = fs::absolute(file, ec);
    if (ec)
        full = file;
    return locks[std::hash<std::string>{}(full.lexically_normal().string()) % locks.size()];
}

} // namespace

std::FILE* gf_openFile(const fs::path& file, const char* mode)
{
#ifdef _WIN32
    // The narrow fopen reads the name in the ANSI code page; the modes are ASCII.
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(file.c_str(), wideMode.c_str());
#else
    return std::fopen(file.c_str(), mode);
#endif
}

void gf_removeFileWarn(const fs::path& file)
{
    if (!fs::exists(file))
        return;
    std::error_code ec;
    if (!fs::remove(file, ec) && ec)
        gf_logWarning(
            fmt::format("Warning: could not remove {}, errorcode: {}", file.string(), ec.message()));
}

void gf_removeFilesFromDirectory(const fs::path& folder)
{
    lf_removeFilesIn(folder, "gf_removeFilesFromDirectory", [](const fs::path&) { return true; });
}

void gf_removeXMLFilesFromDirectory(const fs::path& folder)
{
    lf_removeFilesIn(folder, "gf_removeXMLFilesFromDirectory", lf_hasXmlExtension);
}

std::int64_t gf_countFolderEntries(const fs::path& folder)
{
    if (!fs::exists(folder))
        return 0;
    std::int64_t count = 0;
    for ([[maybe_unused]] const fs::directory_entry& entry : fs::directory_iterator(folder))
        ++count;
    return count;
}

std::vector<FixedCode<4>> gf_listIcaoXmlFiles(const fs::path& folder)
{
    std::vector<FixedCode<4>> codes;
    if (!fs::exists(folder))
        return codes;
    codes.reserve(512);

    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    {
        if (entry.is_regular_file() && lf_hasXmlExtension(entry.path()) &&
            entry.path().stem().string().size() == 4)
            files.push_back(entry.path());
    }
    // Listings are sorted by name so that results do not depend on the file
    // system's order.
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b)
              { return a.filename().string() < b.filename().string(); });

    for (const fs::path& file : files)
    {
        try
        {
            codes.emplace_back(file.stem().string());
        }
        catch (const std::invalid_argument& e)
        {
            gf_logWarning(fmt::format("gf_listIcaoXmlFiles: {} skipped: {}", file.string(), e.what()));
        }
    }
    return codes;
}

void gf_removeLeftoverTemporary(const fs::path& file)
{
    const std::scoped_lock lock(lf_replaceLock(file));
    std::error_code ec;
    fs::remove(lf_temporaryName(file), ec);
}

bool gf_replaceFile(const fs::path& file, const std::function<bool(std::ostream&)>& write)
{
    const std::scoped_lock lock(lf_replaceLock(file));
    fs::path temporary = lf_temporaryName(file);
    bool ok = false;
    {
        std::ofstream out(temporary, std::ios::out | std::ios::trunc | std::ios::binary);
        if (!out.is_open())
        {
            std::error_code ec;
            fs::remove(temporary, ec);
            return false;
        }
        ok = write(out);
        // Closing writes what is still buffered; a failure there is a failed save too.
        out.close();
        ok = ok && !out.fail();
    }
    std::error_code ec;
    if (ok)
    {
        fs::rename(temporary, file, ec);
        ok = !ec;
    }
    if (!ok)
        fs::remove(temporary, ec);
    return ok;
}

std::vector<fs::directory_entry> gf_sortedFolderEntries(const fs::path& folder, std::error_code& ec)
{
    // Each name is folded once, not at every comparison.
    std::vector<std::pair<std::string, fs::directory_entry>> named;
    ec.clear();
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec))
    {
        std::string name = it->path().filename().string();
        for (char& c : name)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        named.emplace_back(std::move(name), *it);
    }
    std::stable_sort(named.begin(), named.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<fs::directory_entry> entries;
    entries.reserve(named.size());
    for (auto& [name, entry] : named)
        entries.push_back(std::move(entry));
    return entries;
}

} // namespace ovr
