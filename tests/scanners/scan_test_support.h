// Shared fixture of the scanner tests: a working folder of its own (the
// program's paths are relative to it) with the log and the parameters file
// inside it, a small airport list, the supported set, a model database with
// two simaddon lists, three publishers and their airports, MSFS 2020 as the
// simulator and a fixed date in written meta blocks.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "../support/folder_test.h"
#include "../support/test_files.h"
#include "bgl_writer.h"
#include "platform/simconnect/world.h"

namespace ovr::test
{

namespace fs = std::filesystem;

inline constexpr std::string_view kFixedDate = "Jan 01, 2026";

// Names a parameterised case after its `name`.
inline constexpr auto caseName = [](const auto& test) { return test.param.name; };

void writeBgl(const fs::path& file, const genbgl::Bytes& bytes);

// Frankfurt in the stand-in simulator's facility data, with the two taxi
// parkings of the scenery files and no helipad.
sim::AirportFacility frankfurtFacility();

// The stand-in simulator on the wall clock.
sim::WorldOptions realTimeWorld();

// The working folder is also the current folder during the test.
class ScanTest : public FolderTest
{
  protected:
    ScanTest() : FolderTest("scan", Enter::yes) {}
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // The scan report so far.
    const std::vector<std::string>& report() const;
    bool reported(std::string_view line) const;
    bool reportMentions(std::string_view text) const;
};

} // namespace ovr::test
