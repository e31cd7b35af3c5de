// A working folder in which a test builds the livery tables as the start-up
// does: a small model database read, then output/LiveriesScanned.xml, the
// AIG regcode list (encrypted as shipped) and the user's regcode files
// written by the test. The process works in that folder while a test runs.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "../support/test_files.h"
#include "dbase_fixture.h"

namespace ovr::test
{

// The meta block of a data file with copyright and simulator marker.
inline constexpr std::string_view kMeta =
    R"(<meta><info name="copyright" value="test data"/><info name="sim" value="1"/></meta>)";

// One <l> element of LiveriesScanned.xml.
std::string livery(std::string_view airline, std::string_view model, std::string_view title,
                   std::string_view registration = {}, bool cargo = false,
                   std::string_view operatorCode = {});

// Every livery table, the registration and similar-type tables included, as
// sorted text lines, to compare two builds.
std::vector<std::string> tablesDump();

class TablesTest : public DbaseTest
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // The database the tables are built on; SetUp reads it.
    static DbaseText database();

    // output/LiveriesScanned.xml with these elements under <liveries>.
    void writeScanned(const std::vector<std::string>& liveries);
    // input/AIG-regcodes.enc from these <l> elements under <aig>.
    void writeAig(std::string_view elements);
    void writeAigDocument(std::string_view xml);
    // input/my_regcodes/<name> with these bytes.
    void writeMyRegcodes(std::string_view name, std::string_view bytes);

    // Log lines written since SetUp that contain the text.
    std::vector<std::string> logLinesWith(std::string_view text) const;

  private:
    std::filesystem::path m_previousFolder;
};

} // namespace ovr::test
