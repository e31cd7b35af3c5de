# cmake -DPROBE=<vora-probe> -DFIXTURE=<fixture folder> -DDBASE=<dbase.enc> -DAIG=<AIG-regcodes.enc>
#       -DWORK=<folder> [-DUPDATE=1] -P match_check.cmake
# Builds the livery tables of the fixture folder and matches its aircraft.csv
# with vora-probe match (seed 7, depth 4); the output must equal match.golden
# beside the fixture. UPDATE=1 writes the golden file instead.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/input ${WORK}/output)
file(COPY_FILE ${DBASE} ${WORK}/input/dbase.enc)
file(COPY_FILE ${AIG} ${WORK}/input/AIG-regcodes.enc)
file(COPY_FILE ${FIXTURE}/LiveriesScanned.xml ${WORK}/output/LiveriesScanned.xml)
execute_process(COMMAND ${PROBE} match ${WORK} ${FIXTURE}/aircraft.csv --seed 7 --depth 4
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "exit code ${rc}")
endif()
if(UPDATE)
  file(WRITE ${FIXTURE}/match.golden "${out}")
else()
  file(READ ${FIXTURE}/match.golden golden)
  if(NOT out STREQUAL golden)
    message(FATAL_ERROR "the output differs from match.golden")
  endif()
endif()
file(REMOVE_RECURSE ${WORK})
