# Fails when a translation is out of date with the sources: a text added or
# changed in the code and not yet in the .ts file, a text no longer used, or
# an entry still waiting for its translation.
# Run by CTest: cmake -DLUPDATE=... -DSOURCE_LIST=... -DTS_FILES=... -DWORK_DIR=... -P this file.
file(STRINGS "${SOURCE_LIST}" sources)
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
set(stale "")
foreach(ts IN LISTS TS_FILES)
  get_filename_component(name "${ts}" NAME)
  file(READ "${ts}" committed)
  string(REGEX MATCHALL "type=\"(unfinished|vanished|obsolete)\"" waiting "${committed}")
  list(LENGTH waiting waiting_count)
  if(waiting_count GREATER 0)
    string(APPEND stale "${name}: ${waiting_count} entries unfinished or no longer used\n")
  endif()
  configure_file("${ts}" "${WORK_DIR}/${name}" COPYONLY)
  execute_process(
    COMMAND "${LUPDATE}" -I "${SOURCE_DIR}" -locations none -no-obsolete -no-ui-lines -silent
            ${sources} -ts "${WORK_DIR}/${name}"
    RESULT_VARIABLE status
    ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "lupdate failed on ${name}: ${errors}")
  endif()
  file(READ "${WORK_DIR}/${name}" updated)
  if(NOT updated STREQUAL committed)
    string(REGEX MATCHALL "<source>[^<]*</source>\n[ ]*<translation type=\"unfinished\"" added "${updated}")
    string(APPEND stale "${name}: differs from what lupdate makes of the sources now:\n")
    foreach(entry IN LISTS added)
      string(REGEX REPLACE "\n.*" "" entry "${entry}")
      string(APPEND stale "  new: ${entry}\n")
    endforeach()
  endif()
endforeach()
if(NOT stale STREQUAL "")
  message(FATAL_ERROR "${stale}Bring it up to date with: cmake --build build --target update_translations, "
                      "then translate the new entries (Qt Linguist or a text editor).")
endif()
