// A zip archive through libzip, owned by one object: the archive is discarded
// when the object goes without a successful close, so no half-written zip is
// left behind. Writing takes data by reference (the caller keeps every buffer
// alive until close); reading lists the entries and reads one entry whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct zip;

namespace ovr
{

class ZipArchive
{
  public:
    ZipArchive() = default;
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;
    ZipArchive(ZipArchive&& other) noexcept;
    ZipArchive& operator=(ZipArchive&& other) noexcept;
    ~ZipArchive();

    // A new, empty archive at the path (an existing file is replaced when the
    // archive is closed), without password or encryption. No value when
    // libzip refuses; `error` then holds its message.
    static std::optional<ZipArchive> createNew(const std::filesystem::path& path,
                                               std::string* error = nullptr);
    // An existing archive, read only.
    static std::optional<ZipArchive> openReadOnly(const std::filesystem::path& path,
                                                  std::string* error = nullptr);

    bool isOpen() const { return m_zip != nullptr; }

    // Adds an entry with the bytes as its content; the bytes are read only at
    // close, so they must outlive it. False when the entry cannot be added.
    bool addData(const std::string& entryName, std::span<const std::byte> data);

    // The entry names, in archive order.
    std::vector<std::string> entryNames() const;
    // The whole content of an entry; no value when it cannot be read.
    std::optional<std::vector<std::byte>> readEntry(const std::string& entryName) const;
    // The entry's uncompressed size as the archive states it; no value when
    // the entry does not exist or states none.
    std::optional<std::uint64_t> entrySize(const std::string& entryName) const;
    // Hands an entry's content to `sink` in pieces of at most `chunkSize`
    // bytes, for entries too large to hold at once. 0 when exactly the stated
    // size was read (and its checksum held) and the sink took every piece;
    // else libzip's error code, ZIP_ER_WRITE when the sink refused a piece.
    int readEntryInChunks(const std::string& entryName, std::size_t chunkSize,
                          const std::function<bool(std::span<const std::byte>)>& sink) const;

    // Writes the archive (for a new one) and releases it. 0 on success, else
    // libzip's error code; an archive without entries writes no file. A
    // second close returns 0.
    int close();

    // libzip's last error message for this archive.
    std::string lastError() const;

  private:
    explicit ZipArchive(zip* handle) : m_zip(handle) {}

    zip* m_zip = nullptr;
};

} // namespace ovr
