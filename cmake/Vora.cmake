# Shared build settings: dependencies, warnings, sanitizers and the helpers that
# every subsystem, tool and test folder uses, so that those folders stay a few
# lines long.

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(fmt REQUIRED)
find_package(pugixml REQUIRED)
find_package(CURL REQUIRED)
find_package(nlohmann_json REQUIRED)
find_package(simdjson REQUIRED)
find_package(PNG REQUIRED)
find_package(Freetype REQUIRED)
find_package(X11)
find_package(GTest)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)  # tests and the fake service only
pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
find_path(GSL_INCLUDE_DIR gsl/gsl REQUIRED)

include(${CMAKE_CURRENT_LIST_DIR}/Floors.cmake)

set(VORA_WARNINGS -Wall -Wextra -Wshadow -Wconversion)

# mold links the sanitized test programs several times faster than ld.
find_program(VORA_MOLD mold)
if(VORA_MOLD AND NOT WIN32 AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_link_options(-fuse-ld=mold)
endif()

if(VORA_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(VORA_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# libFuzzer steers by the coverage of every library it reaches.
if(VORA_FUZZ_ENGINE STREQUAL "libfuzzer")
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VORA_FUZZ_ENGINE=libfuzzer needs clang (scripts/fuzz sets it up)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Every library, program and test of the project is compiled with this.
function(vora_target_defaults target)
  target_compile_options(${target} PRIVATE ${VORA_WARNINGS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_include_directories(${target} SYSTEM PUBLIC ${GSL_INCLUDE_DIR})
endfunction()

# vora_subsystem(NAME airports USES liveries core platform LIBS ...): one
# static library from every .cpp of the calling folder (recursively), named
# vora_<NAME>. USES names the folders of src/ whose headers its code includes,
# linked as their libraries; each must be on a floor that cmake/Floors.cmake
# lets <NAME> use, and the layout test holds the list to the includes. LIBS
# are the other libraries it needs.
function(vora_subsystem)
  cmake_parse_arguments(ARG "" "NAME" "USES;LIBS" ${ARGN})
  if(NOT DEFINED VORA_MAY_USE_${ARG_NAME})
    message(FATAL_ERROR "src/${ARG_NAME} has no floor in cmake/Floors.cmake")
  endif()
  set(linked)
  foreach(folder ${ARG_USES})
    if(NOT folder IN_LIST VORA_MAY_USE_${ARG_NAME})
      message(FATAL_ERROR "src/${ARG_NAME} may not use src/${folder} (cmake/Floors.cmake)")
    endif()
    list(APPEND linked vora_${folder})
  endforeach()
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    # a subsystem folder that has no code yet still yields a library
    set(srcs ${CMAKE_CURRENT_BINARY_DIR}/empty.cpp)
    file(WRITE ${srcs} "")
  endif()
  add_library(vora_${ARG_NAME} STATIC ${srcs})
  vora_target_defaults(vora_${ARG_NAME})
  target_link_libraries(vora_${ARG_NAME} PUBLIC ${linked} ${ARG_LIBS})
  set_property(GLOBAL APPEND PROPERTY VORA_SUBSYSTEMS ${ARG_NAME})
  set_property(GLOBAL PROPERTY VORA_USES_${ARG_NAME} ${ARG_USES})
endfunction()

# vora_add_test(NAME test_core SOURCES a.cpp ... LIBS ... LABELS core [concurrency]
#               [ENVIRONMENT VAR=value ...] [SHARDS n])
# A GoogleTest binary registered with CTest as one test under the labels, run
# headless and with the given environment; SHARDS splits it into n tests that
# each run a share of its cases (GoogleTest's sharding). A process per case
# spent most of a test run starting sanitized processes; the cases of one
# binary run in one process instead, and a failure reports only the failed
# cases (--gtest_brief). One case alone:
#   build/tests/core/test_core --gtest_filter='Suite.Case'
# Binaries labelled concurrency are also collected in the target
# vora_concurrency_tests, which the ThreadSanitizer build builds alone.
function(vora_add_test)
  cmake_parse_arguments(ARG "" "NAME;WORKING_DIRECTORY;SHARDS" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  vora_target_defaults(${ARG_NAME})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  # In a Debug tree built at -O1 (scripts/fuzz) a test file costs a third
  # more to compile at -O1 than at -Og, for code that only calls the
  # libraries; scripts/test builds everything at -Og.
  target_compile_options(${ARG_NAME} PRIVATE $<$<CONFIG:Debug>:-Og>)
  # Every test file pays some seconds for the GoogleTest/GoogleMock headers
  # (and many for JSON); compiled in batches, a binary pays them a few times
  # instead of once a file. Helpers private to a file therefore need names
  # unique in their binary. The batches are made once every folder has added
  # its sources and properties (see vora_batch_test_sources).
  set_property(GLOBAL APPEND PROPERTY VORA_BATCHED_TESTS ${ARG_NAME})
  # g++ spares a file's own types this warning, but not a file included into
  # a batch: a test case over a fixture of its file's anonymous namespace
  # would then warn, though it is still one file's private code.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${ARG_NAME} PRIVATE -Wno-subobject-linkage)
  endif()
  if(NOT ARG_WORKING_DIRECTORY)
    set(ARG_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  if(NOT ARG_SHARDS)
    set(ARG_SHARDS 1)
  endif()
  set(environment VORA_HEADLESS=1 ${ARG_ENVIRONMENT})
  math(EXPR last "${ARG_SHARDS} - 1")
  foreach(shard RANGE ${last})
    set(name ${ARG_NAME})
    set(shard_environment ${environment})
    if(ARG_SHARDS GREATER 1)
      set(name ${ARG_NAME}_${shard})
      list(APPEND shard_environment GTEST_TOTAL_SHARDS=${ARG_SHARDS} GTEST_SHARD_INDEX=${shard})
    endif()
    add_test(NAME ${name} COMMAND ${ARG_NAME} --gtest_brief=1 WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY})
    set_tests_properties(${name} PROPERTIES
      LABELS "${ARG_LABELS}" TIMEOUT 300 ENVIRONMENT "${shard_environment}")
  endforeach()
  if("concurrency" IN_LIST ARG_LABELS)
    if(NOT TARGET vora_concurrency_tests)
      add_custom_target(vora_concurrency_tests)
    endif()
    add_dependencies(vora_concurrency_tests ${ARG_NAME})
  endif()
endfunction()

# vora_add_tool(NAME vora-datatool SOURCES ... LIBS ...)
function(vora_add_tool)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  vora_target_defaults(${ARG_NAME})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} Threads::Threads)
endfunction()

# Compiles a test binary's files in batches of eight, each batch one file in
# the build tree that includes its sources by paths relative to itself. CMake's
# own unity build names them by absolute paths, so a clone in another folder
# (as CI makes) would find none of its batches in ccache. A file marked
# SKIP_UNITY_BUILD_INCLUSION, or with compile definitions or options of its
# own, is compiled alone.
function(vora_batch_test_sources)
  get_property(targets GLOBAL PROPERTY VORA_BATCHED_TESTS)
  foreach(target IN LISTS targets)
    get_target_property(sources ${target} SOURCES)
    get_target_property(source_dir ${target} SOURCE_DIR)
    get_target_property(binary_dir ${target} BINARY_DIR)
    set(kept "")
    set(batched "")
    foreach(source IN LISTS sources)
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${source_dir}" OUTPUT_VARIABLE path)
      get_source_file_property(skip "${path}" TARGET_DIRECTORY ${target} SKIP_UNITY_BUILD_INCLUSION)
      get_source_file_property(definitions "${path}" TARGET_DIRECTORY ${target} COMPILE_DEFINITIONS)
      get_source_file_property(options "${path}" TARGET_DIRECTORY ${target} COMPILE_OPTIONS)
      if(NOT path MATCHES "\\.cpp$" OR skip OR definitions OR options)
        list(APPEND kept "${source}")
      else()
        list(APPEND batched "${path}")
      endif()
    endforeach()
    set(batch_dir "${binary_dir}/${target}_batches")
    list(LENGTH batched count)
    set(index 0)
    while(index LESS count)
      math(EXPR batch "${index} / 8")
      set(text "// Made by CMake: test files compiled as one.\n")
      foreach(offset RANGE 7)
        math(EXPR at "${index} + ${offset}")
        if(at LESS count)
          list(GET batched ${at} path)
          file(RELATIVE_PATH relative "${batch_dir}" "${path}")
          string(APPEND text "#include \"${relative}\"\n")
        endif()
      endforeach()
      set(file "${batch_dir}/batch_${batch}.cpp")
      file(CONFIGURE OUTPUT "${file}" CONTENT "${text}" @ONLY)
      list(APPEND kept "${file}")
      math(EXPR index "${index} + 8")
    endwhile()
    set_property(TARGET ${target} PROPERTY SOURCES ${kept})
  endforeach()
endfunction()
