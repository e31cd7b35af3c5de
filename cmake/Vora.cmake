# Shared build settings: dependencies, warnings, sanitizers and the helpers that
# every subsystem, tool and test folder uses, so that those folders stay a few
# lines long.

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(fmt REQUIRED)
find_package(pugixml REQUIRED)
find_package(CURL REQUIRED)
find_package(nlohmann_json REQUIRED)
find_package(PNG REQUIRED)
find_package(Freetype REQUIRED)
find_package(X11)
find_package(GTest)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)  # tests and the fake service only
pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
find_path(GSL_INCLUDE_DIR gsl/gsl REQUIRED)

set(VORA_WARNINGS -Wall -Wextra -Wshadow -Wconversion)

if(VORA_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(VORA_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# Every library, program and test of the project is compiled with this.
function(vora_target_defaults target)
  target_compile_options(${target} PRIVATE ${VORA_WARNINGS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_include_directories(${target} SYSTEM PUBLIC ${GSL_INCLUDE_DIR})
endfunction()

# vora_subsystem(NAME core DEPENDS ...): one static library from every .cpp of
# the calling folder (recursively), named vora_<NAME>.
function(vora_subsystem)
  cmake_parse_arguments(ARG "" "NAME" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    # a subsystem folder that has no code yet still yields a library
    set(srcs ${CMAKE_CURRENT_BINARY_DIR}/empty.cpp)
    file(WRITE ${srcs} "")
  endif()
  add_library(vora_${ARG_NAME} STATIC ${srcs})
  vora_target_defaults(vora_${ARG_NAME})
  target_link_libraries(vora_${ARG_NAME} PUBLIC ${ARG_DEPENDS})
  set_property(GLOBAL APPEND PROPERTY VORA_SUBSYSTEMS vora_${ARG_NAME})
endfunction()

# vora_add_test(NAME test_core SOURCES a.cpp ... LIBS ... LABELS core [concurrency]
#               [ENVIRONMENT VAR=value ...])
# A GoogleTest binary whose cases are registered with CTest under the labels,
# run headless and with the given environment.
# Binaries labelled concurrency are also collected in the target
# vora_concurrency_tests, which the ThreadSanitizer build builds alone.
function(vora_add_test)
  cmake_parse_arguments(ARG "" "NAME;WORKING_DIRECTORY" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  vora_target_defaults(${ARG_NAME})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  if(NOT ARG_WORKING_DIRECTORY)
    set(ARG_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  include(GoogleTest)
  gtest_discover_tests(${ARG_NAME}
    WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY}
    DISCOVERY_TIMEOUT 120
    DISCOVERY_MODE PRE_TEST
    TEST_LIST ${ARG_NAME}_TESTS
    PROPERTIES TIMEOUT 300 ENVIRONMENT VORA_HEADLESS=1)
  # gtest_discover_tests splits list-valued properties, so a test would keep
  # only its first label; the labels are set after discovery instead.
  set(labels_file ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}_labels.cmake)
  file(WRITE ${labels_file}
    "set_tests_properties(\${${ARG_NAME}_TESTS} PROPERTIES LABELS \"${ARG_LABELS}\")\n")
  if(ARG_ENVIRONMENT)
    file(APPEND ${labels_file}
      "set_tests_properties(\${${ARG_NAME}_TESTS} PROPERTIES ENVIRONMENT \"VORA_HEADLESS=1;${ARG_ENVIRONMENT}\")\n")
  endif()
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_file})
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
