// Reading files as lines in any of the detected encodings, and writing lines.
// Files are read whole in one read and split in memory; lines end in LF alone
// when written.
#pragma once

#include <cstddef>
#include <filesystem>
#include <istream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/encoding.h"

namespace ovr
{

struct LineFile
{
    std::filesystem::path path;
    std::vector<std::string> lines;
};

// The lines of a LineFile, or the error text "open_failed".
struct LinesResult
{
    std::span<const std::string> lines;
    std::string_view error;

    explicit operator bool() const { return error.empty(); }
};

// Appends the lines of a text: a leading UTF-8 byte-order mark is dropped,
// each line loses one CR at its end, an LF at the very end adds no line.
void gf_splitLines(std::string_view text, std::vector<std::string>& lines);
// Appends all lines of an open stream.
void gf_readLines(std::istream& in, std::vector<std::string>& lines);
// Appends the lines of a UTF-16 stream, converted to UTF-8. The byte-order
// mark decides the byte order; a stream without one is read in `assumed`
// order (kEncodingUtf16Le or kEncodingUtf16Be), as its detection found.
// Throws std::runtime_error for an odd number of bytes and for text that is
// not UTF-16.
void gf_readUtf16Lines(std::istream& in, std::vector<std::string>& lines,
                       EncodingCode assumed = kEncodingUtf16Le);
// Empties lines and reads the file in the given encoding as UTF-8 lines.
// False when the file cannot be opened or read; a read failure is shown on
// the status line.
bool gf_readTextLines(EncodingCode code, const std::filesystem::path& path, std::vector<std::string>& lines);
// A file read once for its encoding and its lines (UTF-8). `code` is
// kEncodingNotOpened when the file cannot be read; `decoded` is false when its
// text could not be turned into lines (shown on the status line).
struct DetectedLines
{
    EncodingCode code;
    bool decoded;
};
DetectedLines gf_readDetectedLines(const std::filesystem::path& path, std::vector<std::string>& lines);
// Reads the file's lines (no conversion) into file.lines, with room made for
// `expected` lines first.
LinesResult gf_readFileLines(LineFile& file, std::size_t expected);

// Writes the text (and one LF when `newline` is set); false when the file
// cannot be written.
bool gf_writeTextLines(std::string_view text, const std::filesystem::path& path, bool newline);
// Writes each line followed by one LF; false when the file cannot be written.
bool gf_writeLines(const std::vector<std::string>& lines, const std::filesystem::path& path);

} // namespace ovr
