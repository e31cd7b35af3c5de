// Every file and folder name the program uses in more than one place. All but
// the AppData folder are relative and resolve against the working folder,
// which the start-up requires to be the program's own. Built at static
// initialisation, single names first and then the joins; nothing changes
// them afterwards. They are inline variables so that any global built after
// this header in another file already sees them constructed.
#pragma once

#include "core/fixed_code.h"
#include "core/known_folders.h"

#include <filesystem>

namespace ovr
{

// Single names.
inline const std::filesystem::path g_inputPath{"input"};
inline const std::filesystem::path g_outputPath{"output"};
inline const std::filesystem::path g_airportsPath{"airports"};
inline const std::filesystem::path g_docsPath{"docs"};
inline const std::filesystem::path g_newVersionPath{"new_version"};
inline const std::filesystem::path g_releaseNotesPdfPath{"ReleaseNotes.pdf"};
inline const std::filesystem::path g_installNewVersionExePath{"install_new_version.exe"};
inline const std::filesystem::path g_dbaseEncName{"dbase.enc"};
inline const std::filesystem::path g_aigRegcodesEncName{"AIG-regcodes.enc"};
inline const std::filesystem::path g_airportsEncName{"airports.enc"};
inline const std::filesystem::path g_communityPath{"Community"};
inline const std::filesystem::path g_officialPath{"Official"};
inline const std::filesystem::path g_official2024Path{"Official2024"};
inline const std::filesystem::path g_streamedPackagesPath{"StreamedPackages"};
inline const std::filesystem::path g_fsBasePath{"fs-base"};
inline const std::filesystem::path g_tbloPath{"tblo"};
inline const std::filesystem::path g_tbloZipPath{"tblo.zip"};

// The input folder: shipped data files and their temporary plain copies.
inline const std::filesystem::path g_dbaseEncPath = g_inputPath / g_dbaseEncName;
inline const std::filesystem::path g_dbaseXmlPath = g_inputPath / "dbase.xml";
inline const std::filesystem::path g_airportsEncPath = g_inputPath / g_airportsEncName;
inline const std::filesystem::path g_airportsXmlPath = g_inputPath / "airports.xml";
inline const std::filesystem::path g_aigRegcodesEncPath = g_inputPath / g_aigRegcodesEncName;
inline const std::filesystem::path g_aigRegcodesXmlPath = g_inputPath / "AIG-regcodes.xml";
inline const std::filesystem::path g_icaoAirportsTxtPath = g_inputPath / "ICAO_airports.txt";
inline const std::filesystem::path g_myRegcodesPath = g_inputPath / "my_regcodes";

// The output folder: scan results and lists.
inline const std::filesystem::path g_liveriesScannedXmlPath = g_outputPath / "LiveriesScanned.xml";
inline const std::filesystem::path g_outputInfoPath = g_outputPath / "info";
inline const std::filesystem::path g_outputErrorsPath = g_outputPath / "errors";
inline const std::filesystem::path g_objectIdListTxtPath = g_outputInfoPath / "ObjectIdList.txt";
inline const std::filesystem::path g_offlineRegcodesTxtPath = g_outputInfoPath / "OfflineRegcodes.txt";
inline const std::filesystem::path g_airportsScanLogTxtPath = g_outputInfoPath / "AirportsScanLog.txt";
inline const std::filesystem::path g_aircraftCfgWithNoFltsimSectionTxtPath =
    g_outputInfoPath / "AircraftCfgWithNoFltsimSection.txt";
inline const std::filesystem::path g_inlineRegcodesTxtPath = g_outputErrorsPath / "InlineRegcodes.txt";
inline const std::filesystem::path g_invalidAirlineCodesTxtPath =
    g_outputErrorsPath / "InvalidAirlineCodes.txt";
inline const std::filesystem::path g_invalidAircraftCodesTxtPath =
    g_outputErrorsPath / "InvalidAircraftCodes.txt";
inline const std::filesystem::path g_fixesTxtPath = g_outputErrorsPath / "Fixes.txt";
inline const std::filesystem::path g_invalidAircraftCfgFilesTxtPath =
    g_outputErrorsPath / "InvalidAircraftCfgFiles.txt";
inline const std::filesystem::path g_incompleFltsimSectionsTxtPath =
    g_outputErrorsPath / "IncompleFltsimSections.txt";

// The airports folder: airport parking files, learned files, the user's lists.
inline const std::filesystem::path g_airportsLearnedPath = g_airportsPath / "learned";
inline const std::filesystem::path g_learnedStockPath = g_airportsLearnedPath / "stock";
inline const std::filesystem::path g_learnedSimaddonPath = g_airportsLearnedPath / "simaddon";
inline const std::filesystem::path g_learnedThirdpartyPath = g_airportsLearnedPath / "thirdparty";
inline const std::filesystem::path g_mySimaddonPath = g_airportsPath / "my_simaddon";
inline const std::filesystem::path g_myThirdpartyPath = g_airportsPath / "my_thirdparty";
inline const std::filesystem::path g_myParkAirportsTxtPath = g_airportsPath / "my_park_airports.txt";

// The program's folder under the roaming AppData folder ("Vora" under the
// working folder when the system has no AppData folder, which the start-up
// logs once the log is open), and the settings.
inline const std::filesystem::path g_appDataFolder = gf_appDataPath(false) / "Vora";
inline const std::filesystem::path g_parametersFile = g_appDataFolder / "parameters.xml";

// The three-letter code of an airport that has none (airport list).
inline const FixedCode<3> g_xxx{"XXX"};

} // namespace ovr
