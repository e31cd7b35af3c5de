// A web server on 127.0.0.1 for the download tests: it serves the files it
// is given under their paths (at once, or trickled), answers 404 for every
// other path, and records every path asked for.
#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>

namespace ovr::test
{

class FileServer
{
  public:
    FileServer();
    ~FileServer();
    FileServer(const FileServer&) = delete;
    FileServer& operator=(const FileServer&) = delete;

    // Serves the content under the path ("/downloads/...").
    void put(const std::string& path, std::string content);
    // Serves the content two bytes at a time with the pause between, as a
    // server on a failing line would; the server's end cuts it short.
    void putTrickle(const std::string& path, std::string content, std::chrono::milliseconds pause);
    // The paths asked for, in order.
    std::vector<std::string> requests() const;
    // "http://127.0.0.1:<port>/downloads/"
    std::string base() const;

  private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    struct File
    {
        std::string content;
        std::chrono::milliseconds pause{0};
    };
    std::map<std::string, File> m_files;
    std::atomic<bool> m_stopping{false};
    std::vector<std::string> m_requests;
};

} // namespace ovr::test
