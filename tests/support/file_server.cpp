#include "file_server.h"

#include <chrono>

namespace ovr::test
{

FileServer::FileServer()
{
    m_server.Get(".*",
                 [this](const httplib::Request& request, httplib::Response& response)
                 {
                     const std::scoped_lock lock(m_mutex);
                     m_requests.push_back(request.path);
                     const auto it = m_files.find(request.path);
                     if (it == m_files.end())
                     {
                         response.status = 404;
                         return;
                     }
                     response.set_content(it->second, "application/octet-stream");
                 });
    m_port = m_server.bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

FileServer::~FileServer()
{
    m_server.stop();
    m_thread.join();
}

void FileServer::put(const std::string& path, std::string content)
{
    const std::scoped_lock lock(m_mutex);
    m_files[path] = std::move(content);
}

std::vector<std::string> FileServer::requests() const
{
    const std::scoped_lock lock(m_mutex);
    return m_requests;
}

std::string FileServer::base() const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + "/downloads/";
}

} // namespace ovr::test
