// The tblo folder: which generated airport files are copied into it, the
// one excepted thirdparty file, and the zip of the folder.
#include "scan_test_support.h"

#include "core/paths.h"
#include "core/zip_archive.h"
#include "scanners/tblo_zip.h"

namespace ovr::test
{
namespace
{

std::string apf(std::string_view publisher)
{
    return fmt::format(
        "<?xml version=\"1.0\"?>\n<root><parameters><parameter name=\"publisher\" value=\"{}\" />"
        "</parameters></root>\n",
        publisher);
}

class Tblo : public ScanTest
{
  protected:
    void SetUp() override
    {
        ScanTest::SetUp();
        fs::create_directories(g_tbloPath);
    }

    static std::vector<std::string> tbloFiles()
    {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(g_tbloPath))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(Tblo, KnownSimaddonAirportsAreCopiedAndLinkedOnesLeaveTheirFolder)
{
    writeFile(g_mySimaddonPath / "LFPG.xml", apf("simaddon"));
    writeFile(g_mySimaddonPath / "EDDL.xml", apf("simaddon"));
    writeFile(g_mySimaddonPath / "EDDL.txt", "archive/simaddon/EDDL.xml\n");
    writeFile(g_mySimaddonPath / "QQQQ.xml", apf("simaddon"));
    writeFile(g_tbloPath / "LFPG.xml", "an earlier copy");
    lf_copySimaddonToTblo();
    EXPECT_EQ(tbloFiles(), (std::vector<std::string>{"EDDL.xml", "LFPG.xml"})) << "QQQQ is no known airport";
    EXPECT_EQ(readFile(g_tbloPath / "LFPG.xml"), apf("simaddon")) << "overwritten";
    EXPECT_FALSE(fs::exists(g_mySimaddonPath / "EDDL.xml")) << "beside its link file";
    EXPECT_TRUE(fs::exists(g_mySimaddonPath / "EDDL.txt"));
    EXPECT_TRUE(fs::exists(g_mySimaddonPath / "LFPG.xml"));
    EXPECT_TRUE(logHas("2 simaddon files copied to tblo folder"));
}

TEST_F(Tblo, OneSimaddonCopyIsOneFile)
{
    writeFile(g_mySimaddonPath / "LFPG.xml", apf("simaddon"));
    lf_copySimaddonToTblo();
    EXPECT_TRUE(logHas("1 simaddon file copied to tblo folder"));
}

TEST_F(Tblo, NothingToCopyLogsNothing)
{
    lf_copySimaddonToTblo();
    lf_copyThirdpartyToTblo();
    EXPECT_TRUE(tbloFiles().empty());
    EXPECT_TRUE(logLines().empty());
}

struct KmciCase
{
    std::string name;
    std::string content;
    bool kept;
};

class Kmci : public Tblo, public ::testing::WithParamInterface<KmciCase>
{
};

TEST_P(Kmci, OnlyTheExceptedPublishersFileIsDropped)
{
    writeFile(g_myThirdpartyPath / "KMCI.xml", GetParam().content);
    writeFile(g_myThirdpartyPath / "EHRD.xml", apf("Some Developer"));
    lf_copyThirdpartyToTblo();
    EXPECT_EQ(fs::exists(g_myThirdpartyPath / "KMCI.xml"), GetParam().kept);
    EXPECT_EQ(fs::exists(g_tbloPath / "KMCI.xml"), GetParam().kept);
    EXPECT_TRUE(fs::exists(g_tbloPath / "EHRD.xml"));
    EXPECT_FALSE(logMentions("copied to tblo")) << "no summary for thirdparty copies";
}

INSTANTIATE_TEST_SUITE_P(Cases, Kmci,
                         ::testing::Values(KmciCase{"TropicalSim", apf("TropicalSim"), false},
                                           KmciCase{"OtherPublisher", apf("TropicalSim Jr"), true},
                                           KmciCase{"DoesNotLoad", "<root><parameters>", true}),
                         caseName);

TEST_F(Tblo, ThreeCopiesMakeAZipOfThreeEntries)
{
    for (const char* icao : {"EDDF", "EHRD", "KJFK"})
        writeFile(g_tbloPath / fmt::format("{}.xml", icao), apf(icao));
    writeFile(g_tbloPath / "tblo.zip", "an earlier zip");
    fs::create_directories(g_tbloPath / "sub");
    const fs::path zip = g_tbloPath / "tblo.zip";
    EXPECT_TRUE(lf_zipFolder(g_tbloPath, zip));
    std::optional<ZipArchive> archive = ZipArchive::openReadOnly(zip);
    ASSERT_TRUE(archive.has_value());
    EXPECT_EQ(archive->entryNames(), (std::vector<std::string>{"EDDF.xml", "EHRD.xml", "KJFK.xml"}));
    const std::optional<std::vector<std::byte>> content = archive->readEntry("EHRD.xml");
    ASSERT_TRUE(content.has_value());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(content->data()), content->size()), apf("EHRD"));
    const std::string absoluteZip = fs::absolute(zip).string();
    EXPECT_TRUE(logHas("[zip] Target file: " + absoluteZip));
    EXPECT_TRUE(logHas("[zip] Source dir : " + fs::absolute(g_tbloPath).string()));
    EXPECT_TRUE(logHas("[zip] Removing old zip " + absoluteZip));
    EXPECT_TRUE(logHas(fmt::format("[zip] Adding (data) {} -> EDDF.xml ({} bytes)",
                                   (fs::absolute(g_tbloPath) / "EDDF.xml").string(), apf("EDDF").size())));
    EXPECT_TRUE(logHas(
        fmt::format("[zip] Added 3 files, ok_close=true, exists=true, size={} bytes", fs::file_size(zip))));
}

TEST_F(Tblo, AnEmptyFolderGivesNoZip)
{
    EXPECT_FALSE(lf_zipFolder(g_tbloPath, g_tbloPath / "tblo.zip"));
    EXPECT_FALSE(fs::exists(g_tbloPath / "tblo.zip"));
    EXPECT_TRUE(logHas("[zip] Added 0 files, ok_close=true, exists=false, size=0 bytes"));
}

TEST_F(Tblo, ASourceThatIsNoFolderGivesNoZip)
{
    EXPECT_FALSE(lf_zipFolder(folder() / "missing", g_tbloPath / "tblo.zip"));
    EXPECT_TRUE(logHas(fmt::format("[zip] Not a directory: {}", (folder() / "missing").string())));
}

TEST_F(Tblo, ALinkToNothingIsNoFileOfTheZip)
{
    writeFile(g_tbloPath / "EDDF.xml", apf("EDDF"));
    fs::create_symlink(folder() / "nowhere.xml", g_tbloPath / "EHRD.xml");
    EXPECT_TRUE(lf_zipFolder(g_tbloPath, g_tbloPath / "tblo.zip"));
    std::optional<ZipArchive> archive = ZipArchive::openReadOnly(g_tbloPath / "tblo.zip");
    ASSERT_TRUE(archive.has_value());
    EXPECT_EQ(archive->entryNames(), std::vector<std::string>{"EDDF.xml"});
}

TEST_F(Tblo, FileBytesAreReadWhole)
{
    std::string content(100000, 'x');
    content[0] = '\0';
    writeFile(folder() / "f.bin", content);
    const std::optional<std::vector<std::byte>> bytes = lf_readFileBytes(folder() / "f.bin");
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->size(), content.size());
    EXPECT_FALSE(lf_readFileBytes(folder() / "none.bin").has_value());
}

} // namespace
} // namespace ovr::test
