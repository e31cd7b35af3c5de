#include "core/log.h"

#include <chrono>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <system_error>

#include <fmt/format.h>

#include "core/globals.h"
#include "core/log_detail.h"
#include "core/time.h"

namespace ovr
{

namespace
{

namespace fs = std::filesystem;

// Made on first use and never destroyed, so that a line written at any time
// (from a static initialiser or destructor too) finds a stream, which writes
// nothing while the log is not open. The mutex is constant-initialised.
std::ofstream& lf_logFile()
{
    static auto* const file = new std::ofstream;
    return *file;
}
std::mutex g_logMutex;

constexpr std::string_view kWarningPrefix = "==> ";
constexpr std::string_view kContinuationPrefix = "          ";

void lf_writeLine(std::string_view prefix, std::string_view text)
{
    std::lock_guard lock(g_logMutex);
    if (!lf_logFile().is_open())
        return;
    lf_logFile().write(prefix.data(), static_cast<std::streamsize>(prefix.size()));
    lf_logFile().write(text.data(), static_cast<std::streamsize>(text.size()));
    lf_logFile().put('\n');
    lf_logFile().flush();
}

// One copy step of the generation shift: a missing source is nothing to do.
bool lf_copyGeneration(const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    fs::file_status status = fs::status(from, ec);
    if (status.type() == fs::file_type::not_found)
        return true;
    if (ec)
    {
        gf_logWarning(fmt::format("exists({}): {}", from.string(), ec.message()));
        return false;
    }
    if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec))
    {
        gf_logWarning(fmt::format("copy {} -> {} failed: {}", from.string(), to.string(), ec.message()));
        return false;
    }
    return true;
}

} // namespace

namespace detail
{

std::optional<fs::path> backupGenerationName(const fs::path& file, int generation)
{
    // The mark goes before the extension of the file name itself, never into
    // a folder name that happens to hold a dot.
    std::string name = file.filename().string();
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return std::nullopt;
    name.insert(dot, static_cast<std::size_t>(generation), '0');
    return file.parent_path() / name;
}

void openLogAt(const fs::path& file)
{
    gf_saveUpto3GenerationsOf(file);
    {
        std::lock_guard lock(g_logMutex);
        if (lf_logFile().is_open())
            lf_logFile().close();
        lf_logFile().clear();
        lf_logFile().open(file, std::ios::out | std::ios::trunc | std::ios::binary);
        if (!lf_logFile().is_open())
            throw std::runtime_error("Failed to write file " + file.string());
    }
    auto now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    gf_log(fmt::format("{} (utc) {} version {} for {}", gf_formatTime(now), g_programShortName,
                       fmt::format("{}.{}.{}", g_version.major, g_version.minor, g_version.patch),
                       "MSFS 2020/2024"));
}

void closeLog()
{
    std::lock_guard lock(g_logMutex);
    lf_logFile().close();
}

} // namespace detail

namespace
{

// `warning` names the caller and takes the path text.
std::optional<fs::path> lf_generationNameOrWarn(const fs::path& file, int generation,
                                                std::string_view warning)
{
    auto name = detail::backupGenerationName(file, generation);
    if (!name)
        gf_logWarning(fmt::format(fmt::runtime(warning), file.string()));
    return name;
}

} // namespace

void gf_openLog()
{
    detail::openLogAt("Log.txt");
}

void gf_log(std::string_view text)
{
    lf_writeLine({}, text);
}

void gf_logWarning(std::string_view text)
{
    lf_writeLine(kWarningPrefix, text);
}

void gf_logContinuation(std::string_view text)
{
    lf_writeLine(kContinuationPrefix, text);
}

void gf_logUnlessQuiet(std::string_view text)
{
    if (!gf_isQuiet())
        gf_log(text);
}

void gf_logParameterValue(std::string_view key, std::string_view value)
{
    if (!gf_isQuiet())
        gf_log(fmt::format(R"({}="{}")", key, value));
}

std::string gf_bannerLine(int count1, int count2, bool leadingNewline, bool trailingNewline,
                          std::string_view text)
{
    std::string line = leadingNewline ? "\n" : "";
    long long n = static_cast<long long>(count1) + count2;
    if (n % 2 != 0)
        ++n;
    if (text.empty())
    {
        if (n > 0)
            line.append(static_cast<std::size_t>(n), '*');
    }
    else if (n <= static_cast<long long>(text.size()) + 2)
    {
        line += text;
    }
    else
    {
        auto stars = static_cast<std::size_t>(n / 2 - 1);
        line.append(stars, '*');
        line += ' ';
        line += text;
        line += ' ';
        line.append(stars, '*');
    }
    if (trailingNewline)
        line += '\n';
    return line;
}

bool gf_save1GenerationOf(const fs::path& file)
{
    auto g1 = lf_generationNameOrWarn(file, 1, "gf_save1GenerationOf: no dot in filename: {}");
    return g1 && lf_copyGeneration(file, *g1);
}

bool gf_saveUpto3GenerationsOf(const fs::path& file)
{
    auto g1 = lf_generationNameOrWarn(file, 1, "gf_saveUpto3GenerationsOf: no dot in filename: {}");
    if (!g1)
        return false;
    auto g2 = *detail::backupGenerationName(file, 2);
    auto g3 = *detail::backupGenerationName(file, 3);
    // Oldest first, so that no generation is overwritten before it moved on;
    // a failed step does not stop the later ones.
    bool ok = lf_copyGeneration(g2, g3);
    ok = lf_copyGeneration(*g1, g2) && ok;
    ok = lf_copyGeneration(file, *g1) && ok;
    return ok;
}

} // namespace ovr
