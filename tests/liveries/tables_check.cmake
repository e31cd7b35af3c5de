# cmake -DPROBE=<vora-probe> -DFIXTURE=<fixture folder> -DDBASE=<dbase.enc> -DAIG=<AIG-regcodes.enc>
#       -DWORK=<folder> -P tables_check.cmake
# Builds the livery tables of the fixture folder with vora-probe tables and
# compares the two regcode reports with the golden files beside the fixture;
# no plain data file may stay behind.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/input ${WORK}/output)
file(COPY_FILE ${DBASE} ${WORK}/input/dbase.enc)
file(COPY_FILE ${AIG} ${WORK}/input/AIG-regcodes.enc)
file(COPY_FILE ${FIXTURE}/LiveriesScanned.xml ${WORK}/output/LiveriesScanned.xml)
file(COPY ${FIXTURE}/my_regcodes DESTINATION ${WORK}/input)
execute_process(COMMAND ${PROBE} tables ${WORK} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "exit code ${rc}")
endif()
foreach(plain dbase.xml AIG-regcodes.xml)
  if(EXISTS ${WORK}/input/${plain})
    message(FATAL_ERROR "input/${plain} left behind")
  endif()
endforeach()
foreach(report errors/InlineRegcodes info/OfflineRegcodes)
  get_filename_component(name ${report} NAME)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/output/${report}.txt ${FIXTURE}/${name}.golden
                  RESULT_VARIABLE different)
  if(different)
    file(READ ${WORK}/output/${report}.txt written)
    message(FATAL_ERROR "output/${report}.txt differs from ${name}.golden:\n${written}")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
