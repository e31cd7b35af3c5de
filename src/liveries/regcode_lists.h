// Registration-code lists: which livery (by its simulator title) belongs to
// which registrations, so that an aircraft with a known registration is shown
// in its own livery. Two sources give the same entries:
//
// - the user's own lists, every *.TXT file directly in input/my_regcodes, one
//   livery a line: "title", "title;REG1,REG2" or "title;REG1,REG2;#" (# marks
//   the livery special: given only to its own registrations; a line with one
//   registration is always special);
// - the shipped list, input/AIG-regcodes.enc, decrypted in memory (no plain
//   file is written; messages still name it input/AIG-regcodes.xml):
//     <root><meta>...</meta><aig><l t="title" r="REG1,REG2" s="true"/></aig></root>
//
// Both readers append to the caller's list and never clear it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ovr
{

struct RegcodeEntry
{
    std::string title;                 // the livery title exactly as the simulator knows it
    std::vector<std::string> regcodes; // sorted, unique; may be empty
    bool special = false;              // bound to its registrations only
};

// Appends the entries of every regcode file of the folder (sub-folders are
// not entered). True when every registration had 3 to 12 bytes and nothing
// failed; a failure keeps what was appended.
bool lf_readRegcodeFiles(const std::filesystem::path& folder, std::vector<RegcodeEntry>& out);

// The plain text of input/AIG-regcodes.enc. False, with the reason logged and
// `text` empty, when the list cannot be decrypted.
bool lf_decryptAigRegcodes(std::string& text);
// Appends the entries of the decrypted list, parsing `text` in place (it is
// used up). True when the text parsed, its meta block (with the simulator
// marker) was accepted and it holds an aig element.
bool lf_readAigRegcodes(std::string& text, std::vector<RegcodeEntry>& out);

namespace detail
{
// lf_readAigRegcodes with `name` in its messages.
bool readAigRegcodesText(std::string& text, const std::filesystem::path& name, std::vector<RegcodeEntry>& out);
// The entry of one line of a user's regcode file, if it makes one; each
// registration of a wrong length is logged naming `file`.
bool parseRegcodeLine(std::string_view line, const std::filesystem::path& file,
                      std::vector<RegcodeEntry>& out);
} // namespace detail

} // namespace ovr
