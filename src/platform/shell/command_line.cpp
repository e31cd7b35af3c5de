#include "platform/shell/command_line.h"

#include "platform/win/utf16.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

namespace ovr::shell
{

namespace
{

bool isBlank(WCHAR c) { return c == L' ' || c == L'\t'; }

// Quotes one argument so that CommandLineToArgvW gives it back unchanged.
std::wstring quoted(const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos)
    {
        return arg;
    }
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (WCHAR c : arg)
    {
        if (c == L'\\')
        {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

struct CommandLine
{
    std::mutex mutex;
    std::wstring text;
    std::size_t tailStart = 0;
    bool set = false;
};

CommandLine& commandLine()
{
    static CommandLine c;
    return c;
}

std::vector<std::string> ownArguments()
{
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> args;
    std::size_t start = 0;
    for (std::size_t i = 0; i < all.size(); ++i)
    {
        if (all[i] == '\0')
        {
            args.push_back(all.substr(start, i - start));
            start = i + 1;
        }
    }
    return args;
}

void build(CommandLine& c, const std::vector<std::string>& args)
{
    c.text.clear();
    c.tailStart = 0;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        std::wstring units = win::unitsFromUtf8(args[i]);
        if (i == 0)
        {
            // The program name is only ever quoted, never escaped.
            c.text = units.find_first_of(L" \t") == std::wstring::npos ? units : L"\"" + units + L"\"";
            c.tailStart = c.text.size();
            continue;
        }
        c.text += L' ';
        if (i == 1)
        {
            c.tailStart = c.text.size();
        }
        c.text += quoted(units);
    }
    c.set = true;
}

CommandLine& ensureBuilt()
{
    auto& c = commandLine();
    std::lock_guard lock(c.mutex);
    if (!c.set)
    {
        build(c, ownArguments());
    }
    return c;
}

// The Windows rules: the program name ends at the closing quote or the first
// blank; after it, 2n backslashes before a quote give n and the quote toggles
// quoting, 2n+1 give n and a literal quote, "" inside quotes is a quote.
std::vector<std::wstring> split(std::wstring_view s)
{
    std::vector<std::wstring> args;
    std::size_t i = 0;
    std::wstring first;
    if (i < s.size() && s[i] == L'"')
    {
        ++i;
        while (i < s.size() && s[i] != L'"')
        {
            first += s[i++];
        }
        if (i < s.size())
        {
            ++i;
        }
    }
    else
    {
        while (i < s.size() && !isBlank(s[i]))
        {
            first += s[i++];
        }
    }
    args.push_back(first);
    for (;;)
    {
        while (i < s.size() && isBlank(s[i]))
        {
            ++i;
        }
        if (i >= s.size())
        {
            break;
        }
        std::wstring arg;
        bool inQuotes = false;
        while (i < s.size() && (inQuotes || !isBlank(s[i])))
        {
            std::size_t backslashes = 0;
            while (i < s.size() && s[i] == L'\\')
            {
                ++backslashes;
                ++i;
            }
            if (i < s.size() && s[i] == L'"')
            {
                arg.append(backslashes / 2, L'\\');
                if (backslashes % 2 == 1)
                {
                    arg += L'"';
                }
                else if (inQuotes && i + 1 < s.size() && s[i + 1] == L'"')
                {
                    arg += L'"';
                    ++i;
                }
                else
                {
                    inQuotes = !inQuotes;
                }
                ++i;
            }
            else
            {
                arg.append(backslashes, L'\\');
                if (i < s.size() && (inQuotes || !isBlank(s[i])))
                {
                    arg += s[i++];
                }
            }
        }
        args.push_back(arg);
    }
    return args;
}

} // namespace

void setCommandLine(int argc, char** argv)
{
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i)
    {
        args.emplace_back(argv[i] != nullptr ? argv[i] : "");
    }
    auto& c = commandLine();
    std::lock_guard lock(c.mutex);
    build(c, args);
}

std::wstring commandLineTail()
{
    auto& c = ensureBuilt();
    std::lock_guard lock(c.mutex);
    return c.text.substr(std::min(c.tailStart, c.text.size()));
}

} // namespace ovr::shell

LPWSTR GetCommandLineW()
{
    auto& c = ovr::shell::ensureBuilt();
    std::lock_guard lock(c.mutex);
    return c.text.data();
}

LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* argc)
{
    if (argc == nullptr)
    {
        return nullptr;
    }
    std::vector<std::wstring> args;
    if (commandLine == nullptr || *commandLine == 0)
    {
        // As on Windows: an empty line yields the program's own path.
        args = ovr::shell::split(GetCommandLineW());
        args.resize(1);
    }
    else
    {
        args = ovr::shell::split(std::wstring_view(commandLine, ovr::win::unitLength(commandLine)));
    }
    // One block, pointers first and the strings after them, freed by LocalFree.
    std::size_t bytes = (args.size() + 1) * sizeof(LPWSTR);
    for (const auto& a : args)
    {
        bytes += (a.size() + 1) * sizeof(WCHAR);
    }
    auto* block = static_cast<LPWSTR*>(std::malloc(bytes));
    if (block == nullptr)
    {
        return nullptr;
    }
    auto* text = reinterpret_cast<WCHAR*>(block + args.size() + 1);
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        block[i] = text;
        std::memcpy(text, args[i].c_str(), (args[i].size() + 1) * sizeof(WCHAR));
        text += args[i].size() + 1;
    }
    block[args.size()] = nullptr;
    *argc = static_cast<int>(args.size());
    return block;
}

HLOCAL LocalFree(HLOCAL memory)
{
    std::free(memory);
    return nullptr;
}
