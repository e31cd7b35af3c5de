#include "core/text_lines.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include <fmt/format.h>

#include "core/files.h"
#include "core/status_line.h"
#include "core/text_convert.h"

namespace ovr
{

namespace
{

// The whole content of a stream, or no bytes when it is empty or failed; an
// empty stream is cleared and rewound so the caller can use it again.
bool lf_readAll(std::istream& in, std::string& bytes, std::streamoff minimum)
{
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < minimum)
    {
        in.clear();
        in.seekg(0, std::ios::beg);
        return false;
    }
    in.seekg(0, std::ios::beg);
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), size);
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return true;
}

} // namespace

void gf_splitLines(std::string_view text, std::vector<std::string>& lines)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t lf = text.find('\n', start);
        std::size_t end = lf == std::string_view::npos ? text.size() : lf;
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (lf == std::string_view::npos)
            break;
        start = lf + 1;
    }
}

void gf_readLines(std::istream& in, std::vector<std::string>& lines)
{
    std::string bytes;
    if (lf_readAll(in, bytes, 1))
        gf_splitLines(bytes, lines);
}

namespace
{

void lf_utf16Lines(std::string_view bytes, std::vector<std::string>& lines, EncodingCode assumed)
{
    if (bytes.size() < 2)
        return;
    if (bytes.size() % 2 != 0)
        throw std::runtime_error(fmt::format("UTF-16 text with an odd number of bytes ({})", bytes.size()));

    auto byte = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    bool bigEndian = assumed == kEncodingUtf16Be;
    std::size_t offset = 0;
    if (byte(0) == 0xFF && byte(1) == 0xFE)
    {
        bigEndian = false;
        offset = 2;
    }
    else if (byte(0) == 0xFE && byte(1) == 0xFF)
    {
        bigEndian = true;
        offset = 2;
    }

    // A unit that is no surrogate is a character of its own, with one UTF-8
    // form: it is written here. Only the runs of surrogates (pairs, or lone
    // ones that make the text invalid) go through the converter, which gives
    // the same bytes (and the same failure) as the whole text would.
    std::string utf8;
    utf8.reserve(bytes.size() - offset);
    std::wstring surrogates;
    for (std::size_t i = offset; i + 1 < bytes.size(); i += 2)
    {
        const unsigned high = bigEndian ? byte(i) : byte(i + 1);
        const unsigned low = bigEndian ? byte(i + 1) : byte(i);
        const unsigned unit = (high << 8) | low;
        if (unit >= 0xD800 && unit <= 0xDFFF)
        {
            surrogates.push_back(static_cast<wchar_t>(unit));
            continue;
        }
        if (!surrogates.empty())
        {
            utf8 += gf_wideToUtf8(surrogates);
            surrogates.clear();
        }
        if (unit < 0x80)
        {
            utf8.push_back(static_cast<char>(unit));
        }
        else if (unit < 0x800)
        {
            utf8.push_back(static_cast<char>(0xC0 | (unit >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        }
        else
        {
            utf8.push_back(static_cast<char>(0xE0 | (unit >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        }
    }
    if (!surrogates.empty())
        utf8 += gf_wideToUtf8(surrogates);
    gf_splitLines(utf8, lines);
}

} // namespace

void gf_readUtf16Lines(std::istream& in, std::vector<std::string>& lines, EncodingCode assumed)
{
    std::string bytes;
    if (lf_readAll(in, bytes, 2))
        lf_utf16Lines(bytes, lines, assumed);
}

namespace
{

bool lf_isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool lf_knownCode(EncodingCode code)
{
    return code >= kEncodingAnsi && code <= kEncodingUtf8;
}

// Empties lines and reads the text in the given encoding as UTF-8 lines.
bool lf_textLines(EncodingCode code, std::string_view bytes, const std::filesystem::path& path,
                  std::vector<std::string>& lines)
{
    lines.clear();
    try
    {
        if (!lf_knownCode(code))
            throw std::runtime_error(
                fmt::format("file {} has unknown charset: {}", gf_pathToUtf8(path), gf_charsetName(code)));
        if (code == kEncodingUtf16Le || code == kEncodingUtf16Be)
        {
            lf_utf16Lines(bytes, lines, code);
        }
        else if (code == kEncodingUtf8Bom || code == kEncodingUtf8)
        {
            gf_splitLines(bytes, lines);
        }
        else
        {
            // Each line is converted alone, as it always was; a line of ASCII
            // bytes is the same text in every ANSI code page and in UTF-8.
            gf_splitLines(bytes, lines);
            for (std::string& line : lines)
                if (!lf_isAscii(line))
                    line = gf_acpToUtf8(line);
        }
        return true;
    }
    catch (const std::exception& e)
    {
        gf_setStatus(fmt::format("Read failed for '{}': {}", gf_pathToUtf8(path), e.what()), true);
        return false;
    }
}

bool lf_readFileBytes(const std::filesystem::path& path, std::string& bytes)
{
    bytes.clear();
    // The file's buffer without a stream around it: setting up a stream (its
    // locale's facets) costs more than reading a small file.
    std::filebuf file;
    if (!file.open(path, std::ios::in | std::ios::binary))
        return false;
    // Read to the end in blocks rather than asking for the size first: a file
    // smaller than a block takes a read and the one that finds its end, where
    // three seeks and a read were needed (an aircraft.cfg is a few KB).
    thread_local std::vector<char> block(std::size_t{1} << 16);
    const auto size = static_cast<std::streamsize>(block.size());
    for (;;)
    {
        std::streamsize got = 0;
        try
        {
            got = file.sgetn(block.data(), size);
        }
        catch (const std::exception&)
        {
            return false; // a read error, as a stream reports it
        }
        bytes.append(block.data(), static_cast<std::size_t>(got));
        if (got < size)
            return true;
    }
}

} // namespace

bool gf_readTextLines(EncodingCode code, const std::filesystem::path& path, std::vector<std::string>& lines)
{
    std::string bytes;
    if (lf_knownCode(code) && !lf_readFileBytes(path, bytes))
    {
        lines.clear();
        return false;
    }
    return lf_textLines(code, bytes, path, lines);
}

DetectedLines gf_readDetectedLines(const std::filesystem::path& path, std::vector<std::string>& lines)
{
    std::string bytes;
    if (!lf_readFileBytes(path, bytes))
    {
        lines.clear();
        return {kEncodingNotOpened, false};
    }
    const EncodingCode code = gf_detectEncodingOf(bytes);
    return {code, lf_textLines(code, bytes, path, lines)};
}

LinesResult gf_readFileLines(LineFile& file, std::size_t expected)
{
    file.lines.clear();
    std::ifstream in(file.path, std::ios::binary);
    if (!in.is_open())
        return {{}, "open_failed"};
    if (expected > file.lines.capacity())
        file.lines.reserve(expected);
    gf_readLines(in, file.lines);
    return {file.lines, {}};
}

bool gf_writeTextLines(std::string_view text, const std::filesystem::path& path, bool newline)
{
    return gf_replaceFile(path,
                          [&](std::ostream& out)
                          {
                              out.write(text.data(), static_cast<std::streamsize>(text.size()));
                              if (newline)
                                  out.put('\n');
                              return true;
                          });
}

bool gf_writeLines(const std::vector<std::string>& lines, const std::filesystem::path& path)
{
    return gf_replaceFile(path,
                          [&](std::ostream& out)
                          {
                              for (const std::string& line : lines)
                              {
                                  out.write(line.data(), static_cast<std::streamsize>(line.size()));
                                  out.put('\n');
                              }
                              return true;
                          });
}

} // namespace ovr
