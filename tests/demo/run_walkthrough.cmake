# Plays one walkthrough of an example game: DRIVER, GAME, SCRIPT, SCREEN, WORK.
# Passes only when the driver exits 0 after at least one passed check.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
get_filename_component(data ${GAME} NAME)
file(CREATE_LINK ${GAME} ${WORK}/${data} SYMBOLIC)
execute_process(
  COMMAND ${DRIVER} --screen ${SCREEN} ${data} ${SCRIPT}
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors)
message("${output}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the walkthrough failed (exit ${status})\n${errors}")
endif()
if(NOT output MATCHES "\n([1-9][0-9]*) passed, 0 failed\n?$")
  message(FATAL_ERROR "the walkthrough checked nothing")
endif()
