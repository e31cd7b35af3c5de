#include "parameters_fixture.h"

#include <algorithm>

namespace ovr::test
{
namespace
{

using ParametersFile = ParametersFileTest;

TEST_F(ParametersFile, MissingFileIsCreatedWithEveryDefault)
{
    EXPECT_TRUE(gf_readParameters());
    const std::vector<std::string> keys = fileKeys(file());
    EXPECT_EQ(keys, registryKeys());
    EXPECT_EQ(keys.size(), 64u);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "AIRP_HEIGHT"), 2);
    for (const char* absent : {"MAX_FIT_FL", "parking_percentage", "CALLSIGN_2_OBJECTID", "ALL_INSTALL_PATH"})
    {
        EXPECT_EQ(std::count(keys.begin(), keys.end(), absent), 0) << absent;
    }
    EXPECT_EQ(fileValue("PROGRAM_VERSION"), "12.5.5");
    EXPECT_EQ(fileValue("RANGE"), "40");
    EXPECT_EQ(fileValue("ALWAYS_ON_TOP"), "false");
    EXPECT_EQ(fileValue("SCAN_LIVERIES"), "true");
    EXPECT_EQ(fileValue("AI_PACKAGE_SELECTOR"), "AIG, FSLTL, JF, MTL");
    EXPECT_EQ(fileValue("LAST_EPOCH_TIME:"), "0");
    EXPECT_TRUE(logHas(file().string() + " not found, creating new with default values:"));
    const std::string stars(34, '*');
    EXPECT_TRUE(logHas("\n" + stars + " parameters " + stars + "\n")) << logText();
    EXPECT_TRUE(logHas(std::string(80, '*') + "\n\n"));
    const std::string written = readFile(file());
    EXPECT_EQ(written.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n  <parameters>\n", 0), 0u)
        << written;
}

TEST_F(ParametersFile, UnusableFilesAreReplacedByDefaults)
{
    const struct
    {
        const char* name;
        const char* content;
        bool backedUp;
    } cases[] = {
        {"root without parameters", "<root><other/></root>", false},
        {"unparsable", "<root><parameters><parameter name=\"RANGE\" value=\"7\"", true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir() / "parameters0.xml");
        writeFile(file(), c.content);
        EXPECT_TRUE(gf_readParameters());
        EXPECT_EQ(fileKeys(file()).size(), 64u);
        EXPECT_EQ(std::filesystem::exists(dir() / "parameters0.xml"), c.backedUp);
        if (c.backedUp)
        {
            EXPECT_EQ(readFile(dir() / "parameters0.xml"), c.content);
            EXPECT_TRUE(logHas("==> " + file().string() + " failed to load ("));
        }
    }
}

TEST_F(ParametersFile, MissingKeyIsAppendedWithItsDefault)
{
    EXPECT_TRUE(gf_readParameters());
    pugi::xml_document doc;
    doc.load_file(file().c_str());
    pugi::xml_node parameters = doc.child("root").child("parameters");
    parameters.remove_child(parameters.find_child_by_attribute("parameter", "name", "RANGE"));
    doc.save_file(file().c_str());

    RANGE.current = 7;
    EXPECT_FALSE(gf_readParameters());
    EXPECT_EQ(RANGE.current.load(), 40);
    const std::vector<std::string> keys = fileKeys(file());
    EXPECT_EQ(keys.back(), "RANGE");
    EXPECT_EQ(fileValue("RANGE"), "40");
    EXPECT_TRUE(logHas("from '" + file().string() + "'"));
}

TEST_F(ParametersFile, ValuesAreReadClampedAndLogged)
{
    writeParameters(R"(
        <parameter name="RANGE" value="500"/>
        <parameter name="MAX_FIT" value="99"/>
        <parameter name="CUSTOM_PARKING_PERCENTAGE" value="-5"/>
        <parameter name="AR_ABOVE_HEIGHT" value="20000"/>
        <parameter name="MAX_HOLDING_MINUTES" value="abc"/>
        <parameter name="MATCHING_DEPTH"/>
        <parameter name="ALWAYS_ON_TOP" value="yes"/>
        <parameter name="GUID_CHANGES" value="0"/>
        <parameter name="NAV_LIGHTS_WHILE_PARKED" value="no"/>
        <parameter name="OBJECTID_LIST" value="True"/>
        <parameter name="SCAN_LIVERIES"/>
        <parameter name="SIM_CHOICE" value="anything at all"/>
        <parameter name="DESTINATION" value="EHAM"/>
        <parameter name="DESTINATION" value="EGLL"/>
        <parameter name="BLOCK_CALLSIGN"/>
        <parameter name="lfolder3" value="C:\AI &amp; more"/>)");
    EXPECT_FALSE(gf_readParameters());

    const struct
    {
        const IntParameter* parameter;
        std::int32_t value;
    } ints[] = {{&RANGE, 100},
                {&MAX_FIT, 47},
                {&CUSTOM_PARKING_PERCENTAGE, -1},
                {&AR_ABOVE_HEIGHT, 20000}, // between the listed values: kept
                {&MAX_HOLDING_MINUTES, 1}, // no number reads as 0, clamped
                {&MATCHING_DEPTH, 1}};
    for (const auto& c : ints)
    {
        EXPECT_EQ(c.parameter->current.load(), c.value) << c.parameter->name;
    }
    const struct
    {
        const BoolParameter* parameter;
        bool value;
    } bools[] = {{&ALWAYS_ON_TOP, true},
                 {&GUID_CHANGES, false},
                 {&NAV_LIGHTS_WHILE_PARKED, false},
                 {&OBJECTID_LIST, true},
                 {&SCAN_LIVERIES, false}};
    for (const auto& c : bools)
    {
        EXPECT_EQ(c.parameter->current.load(), c.value) << c.parameter->name;
    }
    EXPECT_EQ(SIM_CHOICE.value(), "anything at all");
    EXPECT_EQ(gf_choiceIndex(SIM_CHOICE), std::nullopt);
    EXPECT_EQ(DESTINATION.value(), "EHAM");
    EXPECT_EQ(BLOCK_CALLSIGN.value(), "");
    EXPECT_EQ(lfolder3.value(), "C:\\AI & more");

    EXPECT_TRUE(logHas("\nMAX_FIT=47\n"));
    EXPECT_TRUE(logHas("\nALWAYS_ON_TOP=true\n"));
    EXPECT_TRUE(logHas("\nDESTINATION=\"EHAM\"\n"));
    // The clamped value reaches the file only when the setting is next saved.
    EXPECT_EQ(fileValue("MAX_FIT"), "99");
}

TEST_F(ParametersFile, ReadingRefreshesEveryShownControlAfterwards)
{
    EXPECT_TRUE(gf_readParameters());
    g_shown.keys.clear();
    EXPECT_FALSE(gf_readParameters());
    std::vector<std::string> expected;
    for (const BoolParameter* p : g_boolParameters)
        expected.push_back(p->name);
    for (const IntListParameter* p : g_intListParameters)
        expected.push_back(p->name);
    for (const EditParameter* p : g_shownStringParameters)
        expected.push_back(p->name);
    EXPECT_EQ(shown(), expected);
}

TEST_F(ParametersFile, ControlsAreShownWithoutTheFileLock)
{
    // The window may save a setting while the start-up thread waits for it
    // to show one; that must not dead-lock.
    g_shown.onShowText = [](const EditParameter& p)
    {
        if (p.name == "SIM_CHOICE")
        {
            MAIN_WINDOW_X.current = 123;
            gf_saveParameter(MAIN_WINDOW_X);
        }
    };
    EXPECT_TRUE(gf_readParameters());
    EXPECT_EQ(fileValue("MAIN_WINDOW_X"), "123");
}

TEST_F(ParametersFile, SingleSaveChangesEveryElementOfItsKey)
{
    writeParameters(R"(<parameter name="DESTINATION" value="EHAM"/><parameter name="RANGE" value="7"/>)"
                    R"(<parameter name="DESTINATION"/>)");
    gf_setParameter(DESTINATION, "LFPG");
    pugi::xml_document doc;
    doc.load_file(file().c_str());
    std::vector<std::string> values;
    for (pugi::xml_node p : doc.child("root").child("parameters").children("parameter"))
    {
        values.emplace_back(p.attribute("value").value());
    }
    EXPECT_EQ(values, (std::vector<std::string>{"LFPG", "7", "LFPG"}));
    EXPECT_EQ(DESTINATION.value(), "LFPG");
    EXPECT_TRUE(logHas("\nDESTINATION=\"LFPG\"\n"));
}

TEST_F(ParametersFile, SingleSavesOfEachKind)
{
    writeParameters(R"(<parameter name="RANGE" value="7"/>)");
    SCAN_AIRPORTS.current = false;
    gf_saveBoolSetting(SCAN_AIRPORTS);
    parking_percentage.current = 45;
    gf_saveParameter(parking_percentage);
    RANGE.current = 65;
    gf_saveParameter(RANGE);
    EXPECT_EQ(fileKeys(file()), (std::vector<std::string>{"RANGE", "SCAN_AIRPORTS", "parking_percentage"}));
    EXPECT_EQ(fileValue("RANGE"), "65");
    EXPECT_EQ(fileValue("SCAN_AIRPORTS"), "false");
    EXPECT_TRUE(logHas("\nSCAN_AIRPORTS=false\n"));

    // parking_percentage is written singly but never read back.
    parking_percentage.current = 30;
    gf_readParameters();
    EXPECT_EQ(parking_percentage.current.load(), 30);
}

TEST_F(ParametersFile, SingleSaveWithoutAFileWritesThatValueAlone)
{
    gf_setParameter(MSFS_INSTALL_PATH, "D:\\Packages");
    EXPECT_EQ(fileKeys(file()), std::vector<std::string>{"MSFS_INSTALL_PATH"});
    EXPECT_EQ(fileValue("MSFS_INSTALL_PATH"), "D:\\Packages");
    EXPECT_FALSE(std::filesystem::exists(dir() / "parameters0.xml"));
}

TEST_F(ParametersFile, SingleSaveKeepsAnUnparsableFileAsBackup)
{
    const std::string broken = "<root><parameters><parameter name=\"RANGE\" value=\"7\"/>";
    writeFile(file(), broken);
    WEEK.current = true;
    gf_saveBoolSetting(WEEK);
    EXPECT_EQ(readFile(dir() / "parameters0.xml"), broken);
    EXPECT_EQ(fileKeys(file()), std::vector<std::string>{"WEEK"});
}

TEST_F(ParametersFile, FileWithoutRootIsReadAndThenWrappedBySingleSave)
{
    writeFile(file(), R"(<?xml version="1.0"?><parameters><parameter name="RANGE" value="8"/></parameters>)");
    EXPECT_FALSE(gf_readParameters());
    EXPECT_EQ(RANGE.current.load(), 8);
    EXPECT_EQ(fileKeys(file()), std::vector<std::string>{}); // still without root

    AIRBORNE_ONLY.current = true;
    gf_saveBoolSetting(AIRBORNE_ONLY);
    EXPECT_TRUE(
        logHas("\n\nPlacing a root level around a new parameters.xml to make it 100% xml compliance\n\n"));
    // The file's own elements, in its order (the read appended the missing
    // keys), now under a root.
    std::vector<std::string> keys = fileKeys(file());
    EXPECT_EQ(keys.front(), "RANGE");
    std::vector<std::string> expected = registryKeys();
    std::sort(keys.begin(), keys.end());
    std::sort(expected.begin(), expected.end());
    expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(fileValue("RANGE"), "8");
    EXPECT_EQ(fileValue("AIRBORNE_ONLY"), "true");
    EXPECT_EQ(fileValue("PROGRAM_VERSION"), ""); // written without the version stamp
}

// A value saved before the file was read (the window position at start)
// wraps the file's own parameters in a root, keeping every value of the
// file; nothing is written from values that were not read from it.
TEST_F(ParametersFile, FileWithoutRootKeepsItsValuesWhenAValueIsSavedBeforeTheRead)
{
    writeFile(file(), R"(<?xml version="1.0"?><parameters><parameter name="RANGE" value="8"/>)"
                      R"(<parameter name="HELICOPTERS" value="false"/></parameters>)");
    AIRBORNE_ONLY.current = true;
    gf_saveBoolSetting(AIRBORNE_ONLY);
    EXPECT_EQ(fileKeys(file()), (std::vector<std::string>{"RANGE", "HELICOPTERS", "AIRBORNE_ONLY"}));
    EXPECT_EQ(fileValue("RANGE"), "8");
    EXPECT_EQ(fileValue("HELICOPTERS"), "false");
    EXPECT_EQ(fileValue("AIRBORNE_ONLY"), "true");
    EXPECT_FALSE(gf_readParameters());
    EXPECT_EQ(RANGE.current.load(), 8);
    EXPECT_FALSE(HELICOPTERS.current.load());
}

// An existing file that cannot be opened is not "missing": it is not
// replaced by defaults unless it could be kept, and the log says why. A
// symbolic link to itself cannot be opened, even by an administrator.
TEST_F(ParametersFile, AnExistingFileThatCannotBeOpenedIsNotReplaced)
{
    std::filesystem::create_symlink(file().filename(), file());
    RANGE.current = 9;
    EXPECT_FALSE(gf_readParameters());
    EXPECT_TRUE(std::filesystem::is_symlink(std::filesystem::symlink_status(file())));
    EXPECT_FALSE(logHas(" not found, creating new"));
    EXPECT_TRUE(logHas(file().string() + " cannot be read (Too many levels of symbolic links)")) << logText();
    EXPECT_TRUE(logHas("could not be kept and is left as it is")) << logText();
    gf_saveBoolSetting(WEEK);
    EXPECT_TRUE(std::filesystem::is_symlink(std::filesystem::symlink_status(file())));
}

TEST_F(ParametersFile, WholeSaveWritesCurrentValuesOrDefaults)
{
    HELICOPTERS.current = false;
    TIME_SHIFT_MINS.current = 15;
    BLOCK_CALLSIGN.setValue("KLM123");
    gf_saveParameters(false);
    EXPECT_EQ(fileValue("HELICOPTERS"), "false");
    EXPECT_EQ(fileValue("TIME_SHIFT_MINS"), "15");
    EXPECT_EQ(fileValue("BLOCK_CALLSIGN"), "KLM123");
    EXPECT_EQ(fileValue("PROGRAM_VERSION"), "");

    gf_saveParameters(true);
    EXPECT_EQ(fileValue("HELICOPTERS"), "true");
    EXPECT_EQ(fileValue("TIME_SHIFT_MINS"), "0");
    EXPECT_EQ(fileValue("BLOCK_CALLSIGN"), "");
    EXPECT_EQ(fileValue("PROGRAM_VERSION"), "12.5.5");
    EXPECT_EQ(PROGRAM_VERSION.value(), ""); // the current value stays
    // the log gives the current values in both cases
    EXPECT_TRUE(logHas("\nHELICOPTERS=false\n"));
    EXPECT_TRUE(logHas("\nBLOCK_CALLSIGN=\"KLM123\"\n"));
}

TEST_F(ParametersFile, ValueLinesAreQuietWhileStopping)
{
    g_stop = 1;
    EXPECT_TRUE(gf_readParameters());
    gf_setParameter(DESTINATION, "EHAM");
    EXPECT_FALSE(logHas("RANGE=40"));
    EXPECT_FALSE(logHas("DESTINATION="));
    EXPECT_TRUE(logHas(" parameters ")); // the banner is not a value line
    EXPECT_EQ(fileValue("DESTINATION"), "EHAM");
}

TEST_F(ParametersFile, StartUpLookRemovesAnUnparsableFileAfterBackingItUp)
{
    pugi::xml_document doc;
    EXPECT_FALSE(gf_loadParametersForStartUp(doc)); // no file: nothing to do

    const std::string broken = "<root><parameters>";
    writeFile(file(), broken);
    EXPECT_FALSE(gf_loadParametersForStartUp(doc));
    EXPECT_FALSE(std::filesystem::exists(file()));
    EXPECT_EQ(readFile(dir() / "parameters0.xml"), broken);
    EXPECT_TRUE(logHas("==> " + file().string() + " failed to load (") &&
                logHas("). Saved as 0.xml and removed."))
        << logText();

    writeParameters(R"(<parameter name="MAIN_WINDOW_X" value="-40000"/>)");
    ASSERT_TRUE(gf_loadParametersForStartUp(doc));
    EXPECT_EQ(gf_getParameter(doc, "MAIN_WINDOW_X"), -40000);
    EXPECT_EQ(gf_getParameter(doc, "MAIN_WINDOW_Y"), std::nullopt);
}

TEST(ParameterLookups, FindTheFirstElementUnderRootOrDocument)
{
    const struct
    {
        const char* name;
        const char* xml;
        std::optional<std::string> text;
        std::optional<std::int32_t> number;
        std::optional<bool> flag;
    } cases[] = {
        {"under root", R"(<root><parameters><parameter name="K" value="12"/></parameters></root>)", "12", 12,
         true},
        {"under document", R"(<parameters><parameter name="K" value="y"/></parameters>)", "y", 0, true},
        {"first of two",
         R"(<root><parameters><parameter name="K" value="0"/><parameter name="K" value="1"/>)"
         R"(</parameters></root>)",
         "0", 0, false},
        {"no value", R"(<root><parameters><parameter name="K"/></parameters></root>)", "", 0, false},
        {"case-sensitive key", R"(<root><parameters><parameter name="k" value="1"/></parameters></root>)",
         std::nullopt, std::nullopt, std::nullopt},
        {"no parameters", R"(<root><parameter name="K" value="1"/></root>)", std::nullopt, std::nullopt,
         std::nullopt},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_string(c.xml));
        EXPECT_EQ(gf_readStringParameter(doc, "K"), c.text);
        EXPECT_EQ(gf_getParameter(doc, "K"), c.number);
        EXPECT_EQ(gf_readBoolParameter(doc, "K"), c.flag);
    }
}

} // namespace
} // namespace ovr::test
