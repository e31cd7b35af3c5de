// SHGetKnownFolderPath for the folders the program uses. Roaming AppData is
// the XDG config folder and local AppData the XDG data folder, unless
// VORA_APPDATA or VORA_LOCALAPPDATA name others (read once). The two Program
// Files folders are /opt unless the program or a test sets them.
#pragma once

#include "platform/win/win_types.h"

#include <filesystem>

using KNOWNFOLDERID = GUID;
using REFKNOWNFOLDERID = const KNOWNFOLDERID&;

inline constexpr KNOWNFOLDERID FOLDERID_RoamingAppData{
    0x3EB685DB, 0x65F9, 0x4CF6, {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}};
inline constexpr KNOWNFOLDERID FOLDERID_LocalAppData{
    0xF1B32785, 0x6FBA, 0x4FCF, {0x9D, 0x55, 0x7B, 0x8E, 0x7F, 0x15, 0x70, 0x91}};
inline constexpr KNOWNFOLDERID FOLDERID_ProgramFiles{
    0x905E63B6, 0xC1BF, 0x494E, {0xB2, 0x9C, 0x65, 0xB7, 0x32, 0xD3, 0xD2, 0x1A}};
inline constexpr KNOWNFOLDERID FOLDERID_ProgramFilesX86{
    0x7C5A40EF, 0xA0FB, 0x4BFC, {0x87, 0x4A, 0xC0, 0xF2, 0xE0, 0xB9, 0xFA, 0x8E}};

constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND): the folder does not exist here.
constexpr HRESULT E_FOLDER_NOT_FOUND = static_cast<HRESULT>(0x80070002u);

HRESULT SHGetKnownFolderPath(REFKNOWNFOLDERID id, DWORD flags, HANDLE token, PWSTR* path);
void CoTaskMemFree(LPVOID memory);

namespace ovr::shell
{
void setProgramFilesFolders(std::filesystem::path programFiles, std::filesystem::path programFilesX86);
}
