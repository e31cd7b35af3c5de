// Shared fixtures of the parameters, data-file and download tests: a
// private temporary folder, and the log redirected into it.
#pragma once

#include "../support/test_files.h"
#include "core/log_detail.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <random>
#include <string>

namespace ovr::test
{

namespace fs = std::filesystem;

// Names a parameterised case after its `name` text, letters and digits only.
inline std::string caseNameText(std::string name)
{
    for (char& c : name)
    {
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
}

inline constexpr auto caseName = [](const auto& test) { return caseNameText(test.param.name); };

// A fresh folder per test, removed afterwards, with the log written to
// Log.txt inside it.
class TempFolderTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::random_device random;
        dir_ = fs::temp_directory_path() /
               ("vora-params-" + std::to_string(random()) + std::to_string(random()));
        fs::create_directories(dir_);
        detail::openLogAt(dir_ / "Log.txt");
    }

    void TearDown() override
    {
        detail::closeLog();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    const fs::path& dir() const { return dir_; }
    std::string logText() const { return readFile(dir_ / "Log.txt"); }

  private:
    fs::path dir_;
};

} // namespace ovr::test
