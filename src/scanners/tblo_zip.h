// The airports new to the archive: copies of the generated airport files of
// supported airports are gathered in the tblo folder and packed into
// tblo/tblo.zip, which the user is asked to send in.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <vector>

namespace ovr
{

// Copies the known generated airports of airports/my_simaddon into tblo; a
// generated file beside a link file is removed after its copy.
void lf_copySimaddonToTblo();
// The same for airports/my_thirdparty; a KMCI.xml of TropicalSim is removed
// and not copied.
void lf_copyThirdpartyToTblo();

// Packs the regular files directly in the source folder into the zip (an
// earlier zip is replaced). True only when at least one file was added and
// the zip exists with a size above 0.
bool lf_zipFolder(const std::filesystem::path& source, const std::filesystem::path& target);

// The whole content of a file; no value when it cannot be opened or read.
std::optional<std::vector<std::byte>> lf_readFileBytes(const std::filesystem::path& file);

} // namespace ovr
