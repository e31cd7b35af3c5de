// A learned file (the XML the program writes back for an airport: its
// settings, changed stands, learned options, stands made by hand, or all
// stands of a handmade airport) merged into the stands of a fixed, valid
// airport file.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "fuzz_support.h"

namespace
{

// Three stands 80 m apart, one with an option.
constexpr std::string_view kAirportFile = R"(<?xml version="1.0" encoding="UTF-8"?>
<root>
  <meta>
    <info name="author" value="Vora" />
    <info name="version" value="12.5.5" />
    <info name="copyright" value="Copyright (c) Voraflow. Data compiled for use with Vora only." />
    <info name="sim" value="1" />
  </meta>
  <parameters>
    <parameter name="airport_name" value="Frankfurt/Main" />
    <parameter name="publisher" value="" />
    <parameter name="altitude" value="364" />
    <parameter name="Qf_real" value="63" />
    <parameter name="Qf_soft" value="0" />
  </parameters>
  <parkpositions>
    <parkpos id="A1" latitude="50.000000" longitude="8.000000" heading="90.0" radius="18.5" type="8">
      <opt reg="D-AIBC" airl="DLH" type="A320" day="1" hh="10:12" cs="DLH12" />
    </parkpos>
    <parkpos id="C5" latitude="50.000000" longitude="8.001120" heading="271.2" radius="40.0" type="5" />
    <parkpos id="helipad1" latitude="50.001080" longitude="7.999580" heading="0.0" radius="10.0" heli="true" />
  </parkpositions>
</root>
)";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    fuzz::countInput();
    fuzz::workFolder();
    // A learned file that is not merged completely is kept as its backup
    // generation; each input starts without one.
    std::filesystem::remove_all(fuzz::kLearnedFile.parent_path());
    fuzz::writeFile(fuzz::kLearnedFile, fuzz::asText(data, size));
    fuzz::readParkAirportFile(kAirportFile);
    return 0;
}
