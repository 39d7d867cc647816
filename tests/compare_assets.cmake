# Runs the art generator into an empty directory and requires every picture it
# writes to match the committed one byte for byte, and the two sets of names to
# agree: the generator is deterministic and the committed assets are current.
#   cmake -DGEN=<finbowl_artgen> -DSRC=<assets dir> -DOUT=<scratch dir> -P compare_assets.cmake
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${GEN}" --docs "${OUT}/docs" "${OUT}/assets" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "finbowl_artgen failed: ${status}")
endif()

file(GLOB committed RELATIVE "${SRC}" "${SRC}/*.png")
file(GLOB written RELATIVE "${OUT}/assets" "${OUT}/assets/*.png")
list(SORT committed)
list(SORT written)
if(NOT committed STREQUAL written)
  message(FATAL_ERROR "the generator writes [${written}] but assets/ holds [${committed}]")
endif()

set(stale "")
foreach(name IN LISTS committed)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${SRC}/${name}" "${OUT}/assets/${name}"
                  RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    list(APPEND stale "${name}")
  endif()
endforeach()
if(stale)
  message(FATAL_ERROR "out of date with the generator (run finbowl_artgen and commit): ${stale}")
endif()
file(REMOVE_RECURSE "${OUT}")
