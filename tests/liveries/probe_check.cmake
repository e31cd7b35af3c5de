# cmake -DPROBE=<vora-probe> -DENC=<dbase.enc> -DWORK=<folder> -DEXPECT_RC=<0|1>
#       -DEXPECT=<regex of stdout+stderr> [-DARGS=<extra arguments>] -P probe_check.cmake
# Runs vora-probe dbase on a working folder holding ENC as input/dbase.enc and
# checks its exit code, its output, and that no plain dbase.xml stays behind.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/input)
file(COPY_FILE ${ENC} ${WORK}/input/dbase.enc)
separate_arguments(extra UNIX_COMMAND "${ARGS}")
execute_process(COMMAND ${PROBE} dbase ${WORK} ${extra}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(EXISTS ${WORK}/input/dbase.xml)
  message(FATAL_ERROR "input/dbase.xml left behind")
endif()
file(REMOVE_RECURSE ${WORK})
if(NOT rc EQUAL EXPECT_RC)
  message(FATAL_ERROR "exit code ${rc}, expected ${EXPECT_RC}")
endif()
if(NOT "${out}${err}" MATCHES "${EXPECT}")
  message(FATAL_ERROR "output does not match: ${EXPECT}")
endif()
