# ccache, when installed, serves compilations that an earlier build made,
# also from another checkout: its paths are taken relative to the source root
# (base_dir), so the compiler is given relative paths and __FILE__ and the
# objects name no checkout's folder, and the build folder's own path is not
# hashed (hash_dir), so a fresh clone elsewhere hits what the last one left.
# A launcher given on the command line wins.
#   vora_use_ccache(ROOT)   ROOT: the repository's top folder
function(vora_use_ccache root)
  find_program(VORA_CCACHE ccache)
  if(NOT VORA_CCACHE)
    return()
  endif()
  foreach(lang C CXX)
    if(NOT CMAKE_${lang}_COMPILER_LAUNCHER)
      set(CMAKE_${lang}_COMPILER_LAUNCHER
          ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${root} CCACHE_NOHASHDIR=1 ${VORA_CCACHE} PARENT_SCOPE)
    endif()
  endforeach()
endfunction()
