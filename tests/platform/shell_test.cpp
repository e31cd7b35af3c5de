// The shell stand-ins: known folders, the command line, string resources,
// ShellExecuteW and MessageBoxW.
#include "platform/win/test_support.h"
#include "platform/win/utf16.h"
#include "platform/win/windows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace ovr::test
{
namespace
{

namespace pt = ovr::platform_test;
namespace fs = std::filesystem;

std::optional<std::string> knownFolder(const GUID& id)
{
    PWSTR path = nullptr;
    HRESULT hr = SHGetKnownFolderPath(id, 0, nullptr, &path);
    if (FAILED(hr))
    {
        EXPECT_EQ(path, nullptr);
        return std::nullopt;
    }
    std::string out = ovr::win::utf8FromPointer(path);
    CoTaskMemFree(path);
    return out;
}

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    return v == nullptr ? std::string() : v;
}

class Shell : public ::testing::Test
{
protected:
    void SetUp() override { pt::reset(); }
};

TEST_F(Shell, AppDataFoldersFollowTheOverridesThenXdg)
{
    auto expected = [](const char* own, const char* xdg, const char* fromHome) {
        if (!env(own).empty())
        {
            return env(own);
        }
        return !env(xdg).empty() ? env(xdg) : (fs::path(env("HOME")) / fromHome).string();
    };
    EXPECT_EQ(knownFolder(FOLDERID_RoamingAppData), expected("VORA_APPDATA", "XDG_CONFIG_HOME", ".config"));
    EXPECT_EQ(knownFolder(FOLDERID_LocalAppData), expected("VORA_LOCALAPPDATA", "XDG_DATA_HOME", ".local/share"));
}

TEST_F(Shell, TestsCanMoveOrRemoveAKnownFolder)
{
    pt::setKnownFolder(FOLDERID_RoamingAppData, fs::path("/tmp/vora-t\xC3\xA9st/roaming"));
    EXPECT_EQ(knownFolder(FOLDERID_RoamingAppData), "/tmp/vora-t\xC3\xA9st/roaming");
    pt::setKnownFolder(FOLDERID_LocalAppData, std::nullopt);
    EXPECT_EQ(knownFolder(FOLDERID_LocalAppData), std::nullopt);
    GUID unknown{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    PWSTR path = reinterpret_cast<PWSTR>(1);
    EXPECT_EQ(SHGetKnownFolderPath(unknown, 0, nullptr, &path), E_INVALIDARG);
    EXPECT_EQ(path, nullptr);
}

TEST_F(Shell, ProgramFilesAreConfigurable)
{
    EXPECT_EQ(knownFolder(FOLDERID_ProgramFiles), "/opt");
    ovr::shell::setProgramFilesFolders("/srv/programs", "/srv/programs32");
    EXPECT_EQ(knownFolder(FOLDERID_ProgramFiles), "/srv/programs");
    EXPECT_EQ(knownFolder(FOLDERID_ProgramFilesX86), "/srv/programs32");
    ovr::shell::setProgramFilesFolders("/opt", "/opt");
}

struct ArgvCase
{
    const char* name;
    const wchar_t* line;
    std::vector<std::wstring> args;
};

class CommandLine : public ::testing::TestWithParam<ArgvCase>
{
};

TEST_P(CommandLine, SplitsByTheWindowsRules)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetParam().line, &argc);
    ASSERT_NE(argv, nullptr);
    std::vector<std::wstring> got(argv, argv + argc);
    EXPECT_EQ(got, GetParam().args);
    EXPECT_EQ(argv[argc], nullptr);
    LocalFree(argv);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLine,
    ::testing::Values(ArgvCase{"Plain", L"vora.exe --production", {L"vora.exe", L"--production"}},
                      ArgvCase{"QuotedProgram", L"\"C:\\Program Files\\Vora\\vora.exe\"  /No-Production ",
                               {L"C:\\Program Files\\Vora\\vora.exe", L"/No-Production"}},
                      ArgvCase{"Quoted", L"p \"abc\" d e", {L"p", L"abc", L"d", L"e"}},
                      ArgvCase{"BackslashesBeforeText", L"p a\\\\b d\"e f\"g h", {L"p", L"a\\\\b", L"de fg", L"h"}},
                      ArgvCase{"OddBackslashesQuote", L"p a\\\\\\\"b c d", {L"p", L"a\\\"b", L"c", L"d"}},
                      ArgvCase{"EvenBackslashesQuote", L"p a\\\\\\\\\"b c\" d e", {L"p", L"a\\\\b c", L"d", L"e"}},
                      ArgvCase{"DoubledQuoteInQuotes", L"p a\"b\"\" c d", {L"p", L"ab\" c d"}},
                      ArgvCase{"EmptyArgument", L"p \"\"", {L"p", L""}}),
    [](const auto& param) { return param.param.name; });

TEST(CommandLineRoundTrip, GetCommandLineGivesBackTheArguments)
{
    std::vector<std::string> args{"/usr/bin/vora", "--production", "with space", "quote\"inside", "trail\\",
                                  "", "caf\xC3\xA9"};
    std::vector<char*> argv;
    for (auto& a : args)
    {
        argv.push_back(a.data());
    }
    ovr::shell::setCommandLine(static_cast<int>(argv.size()), argv.data());
    int argc = 0;
    LPWSTR* back = CommandLineToArgvW(GetCommandLineW(), &argc);
    ASSERT_EQ(argc, static_cast<int>(args.size()));
    for (int i = 0; i < argc; ++i)
    {
        EXPECT_EQ(ovr::win::utf8FromPointer(back[i]), args[static_cast<std::size_t>(i)]) << i;
    }
    LocalFree(back);
    EXPECT_EQ(ovr::shell::commandLineTail().rfind(L"--production", 0), 0u);
}

TEST(StringResources, LoadStringCopiesTruncatesAndFails)
{
    ovr::registerStringResource(101, L"Vora");
    WCHAR title[100];
    EXPECT_EQ(LoadStringW(nullptr, 101, title, 100), 4);
    EXPECT_EQ(std::wstring(title), L"Vora");
    WCHAR small[3];
    EXPECT_EQ(LoadStringW(nullptr, 101, small, 3), 2);
    EXPECT_EQ(std::wstring(small), L"Vo");
    EXPECT_EQ(LoadStringW(nullptr, 102, title, 100), 0);
    EXPECT_EQ(title[0], 0);
    LPCWSTR direct = nullptr;
    EXPECT_EQ(LoadStringW(nullptr, 101, reinterpret_cast<LPWSTR>(&direct), 0), 4);
    EXPECT_EQ(std::wstring(direct, 4), L"Vora");
}

TEST_F(Shell, ShellExecuteWithoutDisplayIsRecordedAndFails)
{
    fs::path folder = fs::temp_directory_path();
    std::wstring name = ovr::win::unitsFromUtf8(folder.string());
    auto r = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", name.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    EXPECT_EQ(r, SE_ERR_FNF);
    pt::setShellExecuteResult(42);
    r = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", name.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    EXPECT_EQ(r, 42);
    auto calls = pt::shellExecuteCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].operation, "open");
    EXPECT_EQ(calls[0].file, folder.string());
    EXPECT_EQ(calls[0].show, SW_SHOWNORMAL);
    EXPECT_EQ(calls[0].result, 42);
}

TEST_F(Shell, MessageBoxIsRecordedAndAnsweredAtOnce)
{
    EXPECT_EQ(MessageBoxW(nullptr, L"Could not open File Explorer at tblo.zip.", L"Vora", MB_ICONEXCLAMATION), IDOK);
    auto boxes = pt::messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could not open File Explorer at tblo.zip.");
    EXPECT_EQ(boxes[0].caption, "Vora");
    EXPECT_EQ(boxes[0].type, MB_ICONEXCLAMATION);
    pt::clearMessageBoxes();
    EXPECT_TRUE(pt::messageBoxes().empty());
}

} // namespace
} // namespace ovr::test
