# cmake -DPROBE=<vora-probe> -DGEN=<gen-packages> -DDBASE=<dbase.enc> -DAIG=<AIG-regcodes.enc>
#       -DWORK=<folder> -DTHREADS=<n> -DGOLDEN=<file> [-DAIRCRAFT=<n> -DSEED=<n> -DDIGEST=1]
#       -P liveries_probe_check.cmake
# Generates a package tree (AIRCRAFT aircraft.cfg files, 120 by default),
# scans it with vora-probe liveries as the program does with THREADS workers
# and compares what the scan wrote with the golden file (the same for every
# number of workers). With DIGEST the golden file holds the SHA-256 of what
# the scan wrote followed by its log (the work folder masked), for a tree too
# large to keep its output.
# VORA_SCAN_UPDATE_GOLDEN=1 in the environment writes the golden file instead.
if(NOT DEFINED AIRCRAFT)
  set(AIRCRAFT 120)
endif()
if(NOT DEFINED SEED)
  set(SEED 7)
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/work/input ${WORK}/packages/Community)
file(COPY_FILE ${DBASE} ${WORK}/work/input/dbase.enc)
file(COPY_FILE ${AIG} ${WORK}/work/input/AIG-regcodes.enc)
execute_process(COMMAND ${GEN} tree ${WORK}/packages/Community/user-aitraffic-golden ${AIRCRAFT} ${SEED}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gen-packages failed: ${rc}")
endif()
execute_process(COMMAND ${PROBE} liveries ${WORK}/work ${WORK}/packages --threads ${THREADS}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "exit code ${rc}\n${out}${err}")
endif()
set(full "${out}")
if(DIGEST)
  string(REPLACE "${WORK}" "WORK" log "${err}")
  string(SHA256 out "${out}${log}")
  set(out "${out}\n")
endif()
if("$ENV{VORA_SCAN_UPDATE_GOLDEN}" STREQUAL "1")
  file(WRITE ${GOLDEN} "${out}")
else()
  file(READ ${GOLDEN} expected)
  if(NOT out STREQUAL expected)
    file(WRITE ${WORK}/probe.out "${full}")
    file(WRITE ${WORK}/probe.log "${err}")
    message(FATAL_ERROR "the scan with ${THREADS} workers differs from ${GOLDEN}; see ${WORK}/probe.out\n${err}")
  endif()
endif()
file(REMOVE_RECURSE ${WORK})
