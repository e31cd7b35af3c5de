// The model-database reader on chosen files, and emptying its tables, for the
// tests and the probe tool (the program reads input/dbase.enc once).
#pragma once

#include <filesystem>

namespace ovr::detail
{

// gf_readDbase on `encrypted`, decrypted into `plain`.
bool readDbaseFrom(const std::filesystem::path& encrypted, const std::filesystem::path& plain);

// Empties every table of the model database (not the code pools).
void clearDbase();

} // namespace ovr::detail
