// A temporary working folder with its own log, in which a test writes a model
// database (encrypted as the program ships it) and reads it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "../support/folder_test.h"

namespace ovr::test
{

// The sections of a model database as XML text; the defaults make the
// smallest database that reads completely. A section whose text is empty is
// left out of the document.
struct DbaseText
{
    std::string aircrafts = R"(<aircraft types="A320, B744, C172, EC35, F16, C25C"/>)";
    std::string cargoTypes = R"(<cargo_type types="B744"/>)";
    std::string heavy = R"(<hvy types="B744"/>)";
    std::string large = R"(<lar types="A320"/>)";
    std::string buzjet = R"(<bzj types="C25C"/>)";
    std::string highPerformance = R"(<hpf types="F16"/>)";
    std::string rotorcraft = R"(<rot types="EC35"/>)";
    std::string similarTypes;
    std::string prefixes;
    std::string icaoAirlines = R"(<ICAO codes="KLM, DLH"/>)";
    std::string cargoOperators = R"(<ICAO codes="FDX"/>)";
    std::string publishers;
    std::string wingspans;
    std::string fixes;
    std::string simaddons20 = R"(<simaddon20 arpts="EHAM"/>)";
    std::string simaddons24 = R"(<simaddon24 arpts="EHAM"/>)";
    std::string thirdparties20;
    std::string thirdparties24;
    std::string dbase;

    std::string xml() const;
};

class DbaseTest : public FolderTest
{
  protected:
    DbaseTest() : FolderTest("dbase") {}
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path encPath() const { return folder() / "input" / "dbase.enc"; }
    std::filesystem::path plainPath() const { return folder() / "input" / "dbase.xml"; }

    // Encrypts the text into input/dbase.enc and reads it.
    bool read(std::string_view xml);
    bool read(const DbaseText& text) { return read(text.xml()); }
    // Reads a fixture encrypted by the build.
    bool readFixture(std::string_view name);
    // Reads input/dbase.enc as it is.
    bool readAsIs();

    // The message of the exception of type E that `read` throws; the empty
    // text when it throws none.
    template <typename E, typename Read> static std::string errorOf(Read read)
    {
        try
        {
            read();
        }
        catch (const E& e)
        {
            return e.what();
        }
        return {};
    }
};

} // namespace ovr::test
