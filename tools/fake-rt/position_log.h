// Every position the fake service sent, one JSON line per aircraft and
// reply, so that a flight-quality check can set what the program flew
// against what it was told:
//
//   {"sent": 1780308012.0, "key": "3C6444", "callsign": "DLH4AB",
//    "registration": "D-AIAB", "data_time": 1780308010.5, "lat": 50.03,
//    "lon": 8.57, "alt_ft": 2350.0, "on_ground": false, "buffer": -1}
//
// `sent` is the service's clock when it answered; `buffer` the index of the
// buffered reply's "buffer_N" (-1 in a live reply). Defective entries, which
// no correct client flies, are left out.
#pragma once

#include "fake-rt/request_log.h"

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace ovr::fakert
{

// One line of the log.
std::string positionLine(double sentAt, const SentAircraft& aircraft);

class PositionLog
{
  public:
    // Throws std::runtime_error when the file cannot be created.
    explicit PositionLog(const std::filesystem::path& file);

    // Safe from the server's threads; each reply's lines are flushed whole.
    void write(double sentAt, const std::vector<SentAircraft>& aircraft);

  private:
    std::mutex m_mutex;
    std::ofstream m_out;
};

} // namespace ovr::fakert
