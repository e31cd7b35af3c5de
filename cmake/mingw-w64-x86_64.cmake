# Cross-building for 64-bit Windows with Debian's mingw-w64 (the posix
# thread model, which std::thread and std::jthread need). The libraries that
# scripts/windows cross-builds live under VORA_MINGW_PREFIX; it is read from
# the environment so that CMake's own test projects see it too.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VORA_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${VORA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VORA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORA_MINGW_TRIPLET})
if(DEFINED ENV{VORA_MINGW_PREFIX})
  list(PREPEND CMAKE_FIND_ROOT_PATH $ENV{VORA_MINGW_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
