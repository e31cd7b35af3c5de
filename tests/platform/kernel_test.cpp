// The kernel stand-ins: the single-instance mutex, the write test, token
// elevation and the timer calls.
#include "platform/win/test_support.h"
#include "platform/win/utf16.h"
#include "platform/win/windows.h"
#include "test_window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace ovr::test
{
namespace
{

namespace pt = ovr::platform_test;
namespace fs = std::filesystem;

class Kernel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pt::reset();
        folder = freshTempFolder("vora-kernel");
        setenv("VORA_LOCK_DIR", folder.c_str(), 1);
    }
    void TearDown() override
    {
        pt::setUnwritableFolders({});
        fs::remove_all(folder);
    }

    // The exit code of the helper process (std::system gives it in bits 8-15).
    int probe()
    {
        int status = std::system((std::string("VORA_LOCK_DIR='") + folder.string() + "' " + PLATFORM_PROBE + " mutex").c_str());
        return status < 0 ? -1 : (status >> 8) & 0xFF;
    }

    fs::path folder;
};

TEST_F(Kernel, SecondMutexOfTheSameNameFailsInThisAndAnotherProcess)
{
    EXPECT_EQ(probe(), 0); // free: the other process gets it and ends
    HANDLE first = CreateMutexW(nullptr, FALSE, L"Local\\$Vora$");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    HANDLE second = CreateMutexW(nullptr, FALSE, L"Local\\$Vora$");
    EXPECT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(probe(), 1);
    CloseHandle(second);
    CloseHandle(first);
    EXPECT_EQ(probe(), 0);
    HANDLE other = CreateMutexW(nullptr, FALSE, L"Local\\$Another$");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    CloseHandle(other);
}

TEST_F(Kernel, WriteTestCreatesWritesAndRemovesTheFile)
{
    fs::path file = folder / ".write_test.tmp";
    std::wstring name = ovr::win::unitsFromUtf8(file.string());
    HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(fs::exists(file));
    DWORD written = 0;
    char byte = 'x';
    EXPECT_TRUE(WriteFile(h, &byte, 1, &written, nullptr));
    EXPECT_EQ(written, 1u);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(Kernel, WriteTestFailsInAFolderMadeUnwritable)
{
    pt::setUnwritableFolders({folder});
    std::wstring name = ovr::win::unitsFromUtf8((folder / ".write_test.tmp").string());
    HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    fs::path elsewhere = freshTempFolder("vora-kernel-writable");
    std::wstring outside = ovr::win::unitsFromUtf8((elsewhere / ".write_test.tmp").string());
    h = CreateFileW(outside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    fs::remove_all(elsewhere);
}

TEST_F(Kernel, MissingFolderIsReported)
{
    std::wstring name = ovr::win::unitsFromUtf8((folder / "no" / "such.tmp").string());
    EXPECT_EQ(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

struct ElevationCase
{
    pt::Elevation set;
    BOOL opened;
    DWORD elevated;
};

class Elevation : public ::testing::TestWithParam<ElevationCase>
{
protected:
    void SetUp() override { pt::reset(); }
    void TearDown() override { pt::setElevation(pt::Elevation::System); }
};

TEST_P(Elevation, TokenAnswersAsSet)
{
    pt::setElevation(GetParam().set);
    HANDLE token = nullptr;
    ASSERT_EQ(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token), GetParam().opened);
    if (!GetParam().opened)
    {
        return;
    }
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size));
    EXPECT_EQ(size, sizeof elevation);
    EXPECT_EQ(elevation.TokenIsElevated, GetParam().elevated);
    EXPECT_FALSE(GetTokenInformation(token, TokenElevation, &elevation, 2, &size));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    CloseHandle(token);
}

INSTANTIATE_TEST_SUITE_P(Cases, Elevation,
                         ::testing::Values(ElevationCase{pt::Elevation::Elevated, TRUE, 1},
                                           ElevationCase{pt::Elevation::NotElevated, TRUE, 0},
                                           ElevationCase{pt::Elevation::QueryFails, FALSE, 0}));

TEST(Timing, PeriodCallsSucceedAndSleepWaits)
{
    EXPECT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(1), TIMERR_NOERROR);
    auto start = std::chrono::steady_clock::now();
    Sleep(5);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(5));
}

} // namespace
} // namespace ovr::test
