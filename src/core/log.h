// The program's one log, Log.txt in the working folder. Any thread writes
// whole lines; each line is flushed at once so the log is complete up to the
// last line if the process dies. Nothing is written while the log is not open.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ovr
{

// Rotates the earlier logs through three backup generations, opens Log.txt
// afresh and writes the header line. Throws std::runtime_error when the file
// cannot be opened. Called once, before anything else is logged.
void gf_openLog();

void gf_log(std::string_view text);
// Warnings and failures: the line begins with "==> ".
void gf_logWarning(std::string_view text);
// A line that continues the previous entry, indented by ten blanks.
void gf_logContinuation(std::string_view text);
// As gf_log, unless a stop or the user's close is under way.
void gf_logUnlessQuiet(std::string_view text);
// The line key="value" of a string setting after it was read or written;
// suppressed while a stop or the user's close is under way.
void gf_logParameterValue(std::string_view key, std::string_view value);

// A text framed by runs of '*' to a width of count1 + count2 (made even);
// writes nothing itself.
std::string gf_bannerLine(int count1, int count2, bool leadingNewline, bool trailingNewline,
                          std::string_view text);

// Copies a file to its first backup generation (x.ext to x0.ext). True when
// there was nothing to keep or the copy was made; failures are logged.
bool gf_save1GenerationOf(const std::filesystem::path& file);
// Shifts x00 to x000, x0 to x00 and copies x to x0. True when no step failed.
bool gf_saveUpto3GenerationsOf(const std::filesystem::path& file);

} // namespace ovr
