// Decryption of the encrypted data files (airports.enc, dbase.enc,
// AIG-regcodes.enc) into a temporary plain XML file beside them, or into
// memory.
#pragma once

#include <filesystem>
#include <string>

namespace ovr
{

// True when the whole stream, up to its FINAL chunk, was decrypted into
// `plainPath`. On any failure the reason is logged, the plain file is removed
// and the result is false; the caller reports its own user error.
bool gf_streamDecrypt(const std::filesystem::path& encryptedPath, const std::filesystem::path& plainPath);
// The same decryption into `plainText`, for a reader that parses the text in
// memory: no plain file is written. On failure the reason is logged as above,
// `plainText` is emptied and the result is false.
bool gf_streamDecrypt(const std::filesystem::path& encryptedPath, std::string& plainText);

} // namespace ovr
