#include "file_server.h"

#include <algorithm>
#include <chrono>

namespace ovr::test
{

FileServer::FileServer()
{
    m_server.Get(".*",
                 [this](const httplib::Request& request, httplib::Response& response)
                 {
                     File file;
                     {
                         const std::scoped_lock lock(m_mutex);
                         m_requests.push_back(request.path);
                         const auto it = m_files.find(request.path);
                         if (it == m_files.end())
                         {
                             response.status = 404;
                             return;
                         }
                         file = it->second;
                     }
                     if (file.pause.count() == 0)
                     {
                         response.set_content(file.content, "application/octet-stream");
                         return;
                     }
                     response.set_content_provider(
                         file.content.size(), "application/octet-stream",
                         [this, file](std::size_t offset, std::size_t, httplib::DataSink& sink)
                         {
                             if (m_stopping.load())
                             {
                                 return false;
                             }
                             std::this_thread::sleep_for(file.pause);
                             const std::size_t n = std::min<std::size_t>(2, file.content.size() - offset);
                             return sink.write(file.content.data() + offset, n);
                         });
                 });
    m_port = m_server.bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

FileServer::~FileServer()
{
    m_stopping.store(true);
    m_server.stop();
    m_thread.join();
}

void FileServer::put(const std::string& path, std::string content)
{
    const std::scoped_lock lock(m_mutex);
    m_files[path] = File{std::move(content), std::chrono::milliseconds(0)};
}

void FileServer::putTrickle(const std::string& path, std::string content, std::chrono::milliseconds pause)
{
    const std::scoped_lock lock(m_mutex);
    m_files[path] = File{std::move(content), pause};
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
