#include "core/zip_archive.h"

#include <utility>

#include <zip.h>

namespace ovr
{

namespace
{

std::optional<ZipArchive> lf_failed(int code, std::string* error)
{
    if (error != nullptr)
    {
        zip_error_t zipError;
        zip_error_init_with_code(&zipError, code);
        *error = zip_error_strerror(&zipError);
        zip_error_fini(&zipError);
    }
    return std::nullopt;
}

} // namespace

ZipArchive::ZipArchive(ZipArchive&& other) noexcept : m_zip(std::exchange(other.m_zip, nullptr)) {}

ZipArchive& ZipArchive::operator=(ZipArchive&& other) noexcept
{
    if (this != &other)
    {
        if (m_zip != nullptr)
            zip_discard(m_zip);
        m_zip = std::exchange(other.m_zip, nullptr);
    }
    return *this;
}

ZipArchive::~ZipArchive()
{
    if (m_zip != nullptr)
        zip_discard(m_zip);
}

std::optional<ZipArchive> ZipArchive::createNew(const std::filesystem::path& path, std::string* error)
{
    int code = 0;
    zip* handle = zip_open(path.string().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (handle == nullptr)
        return lf_failed(code, error);
    return ZipArchive(handle);
}

std::optional<ZipArchive> ZipArchive::openReadOnly(const std::filesystem::path& path, std::string* error)
{
    int code = 0;
    zip* handle = zip_open(path.string().c_str(), ZIP_RDONLY, &code);
    if (handle == nullptr)
        return lf_failed(code, error);
    return ZipArchive(handle);
}

bool ZipArchive::addData(const std::string& entryName, std::span<const std::byte> data)
{
    if (m_zip == nullptr)
        return false;
    // freep 0: the caller owns the bytes.
    zip_source_t* source = zip_source_buffer(m_zip, data.data(), data.size(), 0);
    if (source == nullptr)
        return false;
    if (zip_file_add(m_zip, entryName.c_str(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0)
    {
        zip_source_free(source);
        return false;
    }
    return true;
}

std::vector<std::string> ZipArchive::entryNames() const
{
    std::vector<std::string> names;
    if (m_zip == nullptr)
        return names;
    const zip_int64_t count = zip_get_num_entries(m_zip, 0);
    for (zip_int64_t i = 0; i < count; ++i)
    {
        const char* name = zip_get_name(m_zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
        if (name != nullptr)
            names.emplace_back(name);
    }
    return names;
}

std::optional<std::vector<std::byte>> ZipArchive::readEntry(const std::string& entryName) const
{
    if (m_zip == nullptr)
        return std::nullopt;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(m_zip, entryName.c_str(), 0, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0)
        return std::nullopt;
    zip_file_t* file = zip_fopen(m_zip, entryName.c_str(), 0);
    if (file == nullptr)
        return std::nullopt;
    std::vector<std::byte> content(static_cast<std::size_t>(stat.size));
    std::size_t done = 0;
    while (done < content.size())
    {
        const zip_int64_t n = zip_fread(file, content.data() + done, content.size() - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    zip_fclose(file);
    if (done != content.size())
        return std::nullopt;
    return content;
}

std::optional<std::uint64_t> ZipArchive::entrySize(const std::string& entryName) const
{
    if (m_zip == nullptr)
        return std::nullopt;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(m_zip, entryName.c_str(), 0, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0)
        return std::nullopt;
    return stat.size;
}

int ZipArchive::readEntryInChunks(const std::string& entryName, std::size_t chunkSize,
                                  const std::function<bool(std::span<const std::byte>)>& sink) const
{
    if (m_zip == nullptr)
        return ZIP_ER_INVAL;
    const std::optional<std::uint64_t> size = entrySize(entryName);
    if (!size || chunkSize == 0)
        return ZIP_ER_NOENT;
    zip_file_t* file = zip_fopen(m_zip, entryName.c_str(), 0);
    if (file == nullptr)
        return zip_error_code_zip(zip_get_error(m_zip));
    std::vector<std::byte> chunk(chunkSize);
    std::uint64_t done = 0;
    int result = 0;
    for (;;)
    {
        const zip_int64_t n = zip_fread(file, chunk.data(), chunk.size());
        if (n < 0)
        {
            result = zip_error_code_zip(zip_file_get_error(file));
            result = result != 0 ? result : ZIP_ER_READ;
            break;
        }
        if (n == 0)
            break;
        done += static_cast<std::uint64_t>(n);
        // More than the archive states is as wrong as less.
        if (done > *size)
        {
            result = ZIP_ER_INCONS;
            break;
        }
        if (!sink(std::span<const std::byte>(chunk.data(), static_cast<std::size_t>(n))))
        {
            result = ZIP_ER_WRITE;
            break;
        }
    }
    zip_fclose(file);
    if (result == 0 && done != *size)
        result = ZIP_ER_INCONS;
    return result;
}

int ZipArchive::close()
{
    if (m_zip == nullptr)
        return 0;
    if (zip_close(m_zip) != 0)
    {
        const int code = zip_error_code_zip(zip_get_error(m_zip));
        zip_discard(m_zip);
        m_zip = nullptr;
        return code != 0 ? code : ZIP_ER_INTERNAL;
    }
    m_zip = nullptr;
    return 0;
}

std::string ZipArchive::lastError() const
{
    if (m_zip == nullptr)
        return {};
    return zip_strerror(m_zip);
}

} // namespace ovr
