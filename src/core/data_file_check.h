// Whether an encrypted data file would read, asked before a downloaded copy
// replaces the installed one: a captive portal's page, a cut transfer or a
// file made with another key must never take the place of a good file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ovr
{

// True when `encrypted` decrypts up to its FINAL chunk and its plain text is
// XML whose element "root" holds `section`, the part its reader needs. Else
// false with the reason in `why`. The plain text is decrypted beside the
// file and removed again.
bool gf_dataFileReads(const std::filesystem::path& encrypted, std::string_view section, std::string& why);

} // namespace ovr
