// Registration-code lists: which livery (by its simulator title) belongs to
// which registrations, so that an aircraft with a known registration is shown
// in its own livery. Two sources give the same entries:
//
// - the user's own lists, every *.TXT file directly in input/my_regcodes, one
//   livery a line: "title", "title;REG1,REG2" or "title;REG1,REG2;#" (# marks
//   the livery special: given only to its own registrations; a line with one
//   registration is always special);
// - the shipped list, input/AIG-regcodes.enc, decrypted by the caller to
//   input/AIG-regcodes.xml:
//     <root><meta>...</meta><aig><l t="title" r="REG1,REG2" s="true"/></aig></root>
//
// Both readers append to the caller's list and never clear it.
#pragma once

#include <filesystem>
#include <functional>
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

// Appends the entries of input/AIG-regcodes.xml. True when the file loaded,
// its meta block (with the simulator marker) was accepted and it holds an aig
// element.
bool lf_readAigRegcodes(std::vector<RegcodeEntry>& out);

// Decrypts input/AIG-regcodes.enc into the plain input/AIG-regcodes.xml, runs
// `read` and removes the plain file however it ends. False, with nothing
// run, when the list cannot be decrypted.
bool lf_withPlainAigRegcodes(const std::function<void()>& read);

namespace detail
{
bool readAigRegcodesFrom(const std::filesystem::path& file, std::vector<RegcodeEntry>& out);
// The entry of one line of a user's regcode file, if it makes one; each
// registration of a wrong length is logged naming `file`.
bool parseRegcodeLine(std::string_view line, const std::filesystem::path& file,
                      std::vector<RegcodeEntry>& out);
} // namespace detail

} // namespace ovr
