// The zip archive wrapper: entries written from caller-owned buffers read
// back whole; an archive that is not closed leaves no file behind.
#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../support/test_files.h"
#include "core/zip_archive.h"

namespace ovr
{
namespace
{

namespace fs = std::filesystem;

class ZipArchiveTest : public ::testing::Test
{
  protected:
    test::TempFolder m_folder{"zip"};
};

std::vector<std::byte> bytesOf(const std::string& text)
{
    std::vector<std::byte> bytes(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        bytes[i] = static_cast<std::byte>(text[i]);
    return bytes;
}

TEST_F(ZipArchiveTest, EntriesWrittenFromBuffersReadBack)
{
    const fs::path path = m_folder / "a.zip";
    const std::vector<std::byte> first = bytesOf("first entry");
    const std::vector<std::byte> second = bytesOf(std::string(70000, 'z'));
    {
        std::optional<ZipArchive> zip = ZipArchive::createNew(path);
        ASSERT_TRUE(zip.has_value());
        EXPECT_TRUE(zip->addData("one.xml", first));
        EXPECT_TRUE(zip->addData("two.bin", second));
        EXPECT_EQ(zip->close(), 0);
        EXPECT_EQ(zip->close(), 0) << "a second close does nothing";
    }
    std::optional<ZipArchive> zip = ZipArchive::openReadOnly(path);
    ASSERT_TRUE(zip.has_value());
    EXPECT_EQ(zip->entryNames(), (std::vector<std::string>{"one.xml", "two.bin"}));
    EXPECT_EQ(zip->readEntry("one.xml"), first);
    EXPECT_EQ(zip->readEntry("two.bin"), second);
    EXPECT_FALSE(zip->readEntry("three").has_value());
}

TEST_F(ZipArchiveTest, ANewArchiveReplacesAnOldFile)
{
    const fs::path path = m_folder / "a.zip";
    std::ofstream(path) << "not a zip";
    std::optional<ZipArchive> zip = ZipArchive::createNew(path);
    ASSERT_TRUE(zip.has_value());
    const std::vector<std::byte> data = bytesOf("x");
    ASSERT_TRUE(zip->addData("x", data));
    ASSERT_EQ(zip->close(), 0);
    EXPECT_EQ(ZipArchive::openReadOnly(path)->entryNames(), std::vector<std::string>{"x"});
}

TEST_F(ZipArchiveTest, AnArchiveNotClosedOrEmptyLeavesNoFile)
{
    const std::vector<std::byte> data = bytesOf("x");
    {
        std::optional<ZipArchive> zip = ZipArchive::createNew(m_folder / "dropped.zip");
        ASSERT_TRUE(zip->addData("x", data));
    }
    EXPECT_FALSE(fs::exists(m_folder / "dropped.zip"));
    std::optional<ZipArchive> empty = ZipArchive::createNew(m_folder / "empty.zip");
    EXPECT_EQ(empty->close(), 0);
    EXPECT_FALSE(fs::exists(m_folder / "empty.zip"));
}

TEST_F(ZipArchiveTest, OpeningWhatIsNoZipFails)
{
    std::string error;
    EXPECT_FALSE(ZipArchive::openReadOnly(m_folder / "missing.zip", &error).has_value());
    EXPECT_FALSE(error.empty());
    std::ofstream(m_folder / "text.zip") << "plain text, no zip";
    EXPECT_FALSE(ZipArchive::openReadOnly(m_folder / "text.zip").has_value());
}

TEST_F(ZipArchiveTest, AnArchiveThatCannotBeWrittenFailsToClose)
{
    const std::vector<std::byte> data = bytesOf("x");
    std::optional<ZipArchive> zip = ZipArchive::createNew(m_folder / "no" / "folder" / "a.zip");
    if (!zip)
        return; // refused at once: as good
    ASSERT_TRUE(zip->addData("x", data));
    EXPECT_NE(zip->close(), 0);
    EXPECT_FALSE(fs::exists(m_folder / "no"));
}

TEST_F(ZipArchiveTest, AnEntryIsReadInChunksOfTheSizeAsked)
{
    const fs::path path = m_folder / "a.zip";
    std::vector<std::byte> data(100000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::byte>(i * 131 % 251);
    {
        std::optional<ZipArchive> zip = ZipArchive::createNew(path);
        ASSERT_TRUE(zip.has_value());
        ASSERT_TRUE(zip->addData("big.bin", data));
        ASSERT_EQ(zip->close(), 0);
    }
    std::optional<ZipArchive> zip = ZipArchive::openReadOnly(path);
    ASSERT_TRUE(zip.has_value());
    EXPECT_EQ(zip->entrySize("big.bin"), data.size());
    EXPECT_FALSE(zip->entrySize("none").has_value());

    std::vector<std::byte> read;
    std::size_t largest = 0;
    EXPECT_EQ(zip->readEntryInChunks("big.bin", 4096,
                                     [&](std::span<const std::byte> chunk)
                                     {
                                         largest = std::max(largest, chunk.size());
                                         read.insert(read.end(), chunk.begin(), chunk.end());
                                         return true;
                                     }),
              0);
    EXPECT_EQ(read, data);
    EXPECT_LE(largest, 4096u);

    int calls = 0;
    EXPECT_NE(
        zip->readEntryInChunks("big.bin", 4096, [&](std::span<const std::byte>) { return ++calls < 3; }), 0)
        << "a refusing sink ends the read";
    EXPECT_EQ(calls, 3);
    EXPECT_NE(zip->readEntryInChunks("none", 4096, [](std::span<const std::byte>) { return true; }), 0);
}

} // namespace
} // namespace ovr
