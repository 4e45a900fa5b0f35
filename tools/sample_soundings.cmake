# Draws the sample disc's real soundings: for each line "DAY FILE..." of
# data/soundings/sample-days.txt, runs the kit's `soundings DISC DAY FILE...`.
# cmake -DKIT=<nimbrel-disc> -DDISC=<disc> -DSOURCES=<data/soundings> -P sample_soundings.cmake
file(STRINGS ${SOURCES}/sample-days.txt lines REGEX "^[0-9]")
foreach(line IN LISTS lines)
  separate_arguments(words UNIX_COMMAND "${line}")
  list(POP_FRONT words day)
  list(TRANSFORM words PREPEND "${SOURCES}/")
  execute_process(COMMAND ${KIT} soundings ${DISC} ${day} ${words}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0 OR out MATCHES "skipped")
    message(FATAL_ERROR "Sample soundings of ${day}: ${out}${err}")
  endif()
endforeach()
