# A test of the layout check itself: the check runs on a copy of src/ with
# one file planted in it and must refuse it (its report matching EXPECT) or,
# with EXPECT "kept", pass.
#   cmake -DSOURCE_DIR=<checkout> -DWORK=<scratch> -DFILE=core/planted.cpp
#         "-DTEXT=#include \"app/start_up.h\"" "-DEXPECT=<regex>|kept"
#         [-DLINKS=<build>/floors_in_use.cmake] -P cmake/check_layout_planted.cmake
cmake_minimum_required(VERSION 3.25)

foreach(required SOURCE_DIR WORK FILE TEXT EXPECT)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "check_layout_planted: ${required} is required")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(COPY ${SOURCE_DIR}/src DESTINATION ${WORK})
file(WRITE ${WORK}/src/${FILE} "// planted by the layout check's own test\n${TEXT}\n")

set(links_arg "")
if(LINKS)
  set(links_arg -DLINKS=${LINKS})
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK} ${links_arg} -P ${CMAKE_CURRENT_LIST_DIR}/check_layout.cmake
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
file(REMOVE_RECURSE ${WORK})
# The report wraps long lines; compare it as one line.
string(REGEX REPLACE "[ \n]+" " " flat "${output}")

if(EXPECT STREQUAL "kept")
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "src/${FILE} with '${TEXT}' should keep to its floor, but:\n${output}")
  endif()
elseif(result EQUAL 0)
  message(FATAL_ERROR "src/${FILE} with '${TEXT}' passed the layout check:\n${output}")
elseif(NOT flat MATCHES "${EXPECT}")
  message(FATAL_ERROR "the layout check refused src/${FILE}, but its report does not match '${EXPECT}':\n${output}")
endif()
message(STATUS "src/${FILE} with '${TEXT}': as expected")
