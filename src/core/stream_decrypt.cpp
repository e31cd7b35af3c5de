#include "core/stream_decrypt.h"

#include "core/files.h"
#include "core/log.h"
#include "core/secret_stream.h"

#include <fmt/format.h>

#include <exception>

namespace ovr
{

bool gf_streamDecrypt(const std::filesystem::path& encryptedPath, const std::filesystem::path& plainPath)
{
    try
    {
        secret_stream::decryptFile(encryptedPath, plainPath);
        return true;
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("{} exception: {}", "gf_streamDecrypt", e.what()));
    }
    // A half-written plain file would be parsed as a shorter data file by
    // the next reader.
    try
    {
        gf_removeFileWarn(plainPath);
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("{} exception: {}", "gf_streamDecrypt", e.what()));
    }
    return false;
}

bool gf_streamDecrypt(const std::filesystem::path& encryptedPath, std::string& plainText)
{
    try
    {
        plainText = secret_stream::decryptText(encryptedPath);
        return true;
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("{} exception: {}", "gf_streamDecrypt", e.what()));
    }
    plainText.clear();
    return false;
}

} // namespace ovr
