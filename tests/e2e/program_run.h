// Runs the vora binary the way a user starts it: in a working folder of its
// own with docs, the encrypted data files and a packages folder the program
// finds by itself, its AppData and lock folders in the test's folder, the
// stand-in simulator's demo scenario and a fake live-traffic service on
// 127.0.0.1. Processes are driven through bash.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake-rt/fake_service.h"

namespace ovr::test
{

class ProgramRun : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // A working folder the program accepts, under the test's folder.
    std::filesystem::path prepareWorkingFolder(const std::string& name);
    // Runs the program in `work` to its end (at most 120 s); its exit code.
    int run(const std::filesystem::path& work, const std::string& arguments);
    // Starts the program in `work`, waits until a line of its log contains
    // `text` (at most 120 s), sends SIGTERM and waits for the end; its exit
    // code, or kLineNeverSeen when the text never came (the program is then
    // killed).
    int runUntilThenTerminate(const std::filesystem::path& work, const std::string& text);
    static constexpr int kLineNeverSeen = 200;
    // Runs a bash script; its exit code. Its output goes to output().
    int bash(const std::string& script);
    std::filesystem::path output() const { return dir_ / "script.out"; }

    std::filesystem::path appDataFolder() const { return dir_ / "appdata" / "Vora"; }
    static std::vector<std::string> lines(const std::filesystem::path& file);
    static bool has(const std::vector<std::string>& lines, const std::string& line);

    // Both stand-ins in their strict mode: the fake service as its public
    // documentation describes it, the simulator from the given scenario file
    // (one with "strict": true).
    void useStrictStandIns(const std::filesystem::path& simScenario);
    // The stand-in simulator reads this scenario file; the service stays as it is.
    void useSimScenario(const std::filesystem::path& simScenario) { simScenario_ = simScenario; }
    // A scenario file of data/scenarios.
    static std::filesystem::path scenarioFile(const std::string& name);
    // The demo airport's file, which makes EDDF a park airport when it lies
    // in the working folder's airports/my_thirdparty.
    static std::filesystem::path demoAirportFile();

    const std::filesystem::path& dir() const { return dir_; }
    fakert::FakeRtService& service() { return *service_; }
    std::string environment() const;
    std::string program() const;
    // program() under a time limit for scripts that signal it and wait for
    // its end: a program that does not end is killed (exit code 137) and the
    // test fails with its log rather than waiting for ever.
    std::string boundedProgram() const;
    // The program with its writes to files whose path ends with `suffix`
    // failing with ENOSPC ("fail:SUFFIX"), or held half done after MARKER is
    // created ("hold:SUFFIX:MARKER"); see write_fault_shim.c.
    std::string programWithWriteFault(const std::string& spec) const;

  private:
    std::filesystem::path dir_;
    std::filesystem::path simScenario_;
    std::unique_ptr<fakert::FakeRtService> service_;
};

// The index of the first line of `log` that contains `fragment`; log.size()
// when none does.
std::ptrdiff_t indexOfLine(const std::vector<std::string>& log, const std::string& fragment);

} // namespace ovr::test
