// Lets tests point the parameters file somewhere else than the AppData
// folder that the path globals fixed at start.
#pragma once

#include <filesystem>

namespace ovr::detail
{

// An empty path goes back to g_parametersFile.
void setParametersFile(std::filesystem::path file);
std::filesystem::path parametersFile();
// Sets what gf_parametersRead answers.
void setParametersRead(bool read);

} // namespace ovr::detail
