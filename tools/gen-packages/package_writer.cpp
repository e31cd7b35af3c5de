#include "package_writer.h"

#include <array>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <stdexcept>
#include <tuple>

#include <fmt/format.h>
#include <pugixml.hpp>

namespace genpkg
{

namespace fs = std::filesystem;

namespace
{

// The code points of a UTF-8 text; a broken sequence gives U+FFFD.
std::vector<char32_t> lf_codePoints(std::string_view text)
{
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < text.size();)
    {
        const auto c = static_cast<unsigned char>(text[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size())
        {
            points.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t point = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k)
            point = (point << 6) | (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F);
        points.push_back(point);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return points;
}

} // namespace

std::string encode(std::string_view utf8, Encoding encoding)
{
    if (encoding == Encoding::utf8)
        return std::string(utf8);
    std::string out;
    if (encoding == Encoding::utf16Bom)
        out = "\xff\xfe";
    for (char32_t point : lf_codePoints(utf8))
    {
        if (encoding == Encoding::windows1252)
        {
            out.push_back(point < 0x80 || (point >= 0xA0 && point <= 0xFF) ? static_cast<char>(point) : '?');
            continue;
        }
        auto unit = [&](std::uint32_t u) {
            out.push_back(static_cast<char>(u & 0xFF));
            out.push_back(static_cast<char>(u >> 8));
        };
        if (point >= 0x10000)
        {
            const std::uint32_t v = static_cast<std::uint32_t>(point) - 0x10000;
            unit(0xD800 + (v >> 10));
            unit(0xDC00 + (v & 0x3FF));
        }
        else
        {
            unit(static_cast<std::uint32_t>(point));
        }
    }
    return out;
}

std::string aircraftCfgText(const std::string& model, const std::vector<Livery>& liveries)
{
    std::string text = "[VERSION]\r\nmajor = 1\r\n\r\n[GENERAL]\r\n";
    if (!model.empty())
        text += "icao_type_designator = \"" + model + "\"\r\n";
    text += "atc_type = \"Generated\"\r\n";
    int n = 0;
    for (const Livery& livery : liveries)
    {
        text += fmt::format("\r\n[FLTSIM.{}]\r\ntitle = \"{}\"\r\n", n++, livery.title);
        if (!livery.airline.empty())
            text += "icao_airline = \"" + livery.airline + "\"\r\n";
        if (!livery.registration.empty())
            text += "atc_id = \"" + livery.registration + "\"\r\n";
        text += livery.cargo ? "atc_parking_types = \"RAMP_CARGO\"\r\n" : "atc_parking_types = \"GATE\"\r\n";
        if (!livery.texture.empty())
            text += "texture = \"" + livery.texture + "\"\r\n";
        text += "ui_variation = \"" + livery.title + "\"\r\n";
    }
    return text;
}

void writeFile(const fs::path& file, std::string_view bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

std::size_t writeDemoPackage(const fs::path& community, const fs::path& liveriesXml, const fs::path& dbaseXml)
{
    pugi::xml_document liveriesDocument;
    if (!liveriesDocument.load_file(liveriesXml.c_str()))
        throw std::runtime_error("cannot read " + liveriesXml.string());
    // Registration -> (airline, operator, type) of the database, and the
    // first registration of each airline and operator pair.
    std::map<std::string, std::tuple<std::string, std::string, std::string>> records;
    std::map<std::tuple<std::string, std::string, std::string>, std::string> operated;
    pugi::xml_document dbase;
    if (!dbaseXml.empty() && dbase.load_file(dbaseXml.c_str()))
    {
        for (const pugi::xpath_node& node : dbase.select_nodes("//d"))
        {
            const pugi::xml_node d = node.node();
            auto key = std::make_tuple(std::string(d.attribute("a").value()), std::string(d.attribute("o").value()),
                                       std::string(d.attribute("m").value()));
            records[d.attribute("r").value()] = key;
            operated.emplace(key, d.attribute("r").value());
        }
    }
    std::map<std::string, std::vector<Livery>> byModel;
    std::size_t count = 0;
    for (const pugi::xml_node l : liveriesDocument.child("root").child("liveries").children())
    {
        Livery livery;
        livery.title = l.attribute("t").value();
        livery.airline = l.attribute("a").value();
        livery.cargo = std::string_view(l.attribute("c").value()) == "true";
        const auto key = std::make_tuple(livery.airline, std::string(l.attribute("o").value()),
                                         std::string(l.attribute("m").value()));
        const std::string registration = l.attribute("r").value();
        const auto record = records.find(registration);
        if (!registration.empty() && (record == records.end() || record->second == key))
            livery.registration = registration;
        if (!std::get<1>(key).empty())
        {
            const auto found = operated.find(key);
            if (found == operated.end())
                continue; // the scan could not give it its operator
            livery.registration = found->second;
        }
        byModel[std::get<2>(key)].push_back(std::move(livery));
        ++count;
    }
    const fs::path airplanes = community / "user-aitraffic-demo" / "SimObjects" / "Airplanes";
    for (const auto& [model, liveries] : byModel)
        writeFile(airplanes / ("Demo_" + model) / "aircraft.cfg", aircraftCfgText(model, liveries));
    return count;
}

TreeSummary writeTree(const fs::path& root, std::size_t files, std::uint32_t seed)
{
    static constexpr std::array<const char*, 6> kModels{"A320", "A321", "B738", "B77W", "A388", "E190"};
    static constexpr std::array<const char*, 8> kAirlines{"DLH", "BAW", "KLM", "AFR", "UAE", "SWR", "RYR", "EZY"};
    std::mt19937 random(seed);
    TreeSummary summary;
    for (std::size_t i = 0; i < files; ++i)
    {
        const std::string model = kModels[random() % kModels.size()];
        const auto encoding = static_cast<Encoding>(i % 3);
        std::vector<Livery> liveries;
        const std::size_t sections = 1 + random() % 4;
        const bool ivao = i % 10 == 7;
        for (std::size_t k = 0; k < sections; ++k)
        {
            const std::string airline = kAirlines[random() % kAirlines.size()];
            Livery livery;
            livery.title = ivao ? fmt::format("{} {} Gen {} {}", model, airline, i, k)
                                : fmt::format("Gen {} {} {} Caf\xc3\xa9 {}", model, airline, i, k);
            livery.airline = ivao ? std::string() : airline;
            livery.cargo = random() % 5 == 0;
            livery.texture = ivao ? airline + std::to_string(k) : std::string();
            liveries.push_back(std::move(livery));
        }
        if (ivao)
        {
            const fs::path folder =
                root / "IVAO_MTL" / "SimObjects" / "Airplanes" / fmt::format("IVAO_{}_{:05}", model, i);
            for (const Livery& livery : liveries)
                fs::create_directories(folder / ("texture." + livery.texture));
            writeFile(folder / "aircraft.cfg", encode(aircraftCfgText({}, liveries), encoding));
            summary.liveries += liveries.size();
        }
        else
        {
            const fs::path file = root / fmt::format("user-aitraffic-gen-{}", i % 7) / "SimObjects" / "Airplanes" /
                                  fmt::format("Gen_{}_{:05}", model, i) / "aircraft.cfg";
            std::string text = aircraftCfgText(model, liveries);
            switch (i % 25 == 24 ? (i / 25) % 3 : 3)
            {
            case 0:
                text = aircraftCfgText(model, {});
                break;
            case 1:
                text += "\r\n[fltsim.10001]\r\ntitle = x\r\n";
                break;
            case 2:
                text.clear();
                for (int b = 0; b < 4096; ++b)
                    text.push_back(static_cast<char>(random() & 0xFF));
                break;
            default:
                summary.liveries += liveries.size();
                break;
            }
            writeFile(file, encode(text, encoding));
        }
        ++summary.files;
    }
    return summary;
}

} // namespace genpkg
