# Fails when a source file includes a layer above its own, or Qt where the
# layer must build without it. Run as: cmake -DROOT=<source root> -P this.
#
# Each layer lists the project folders it may include; docs/architecture.md
# explains the order.
set(layers
  "src/core|core|no-qt"
  "src/pictures|core pictures|no-qt"
  "src/descr|core descr|no-qt"
  "src/resultsdb|core resultsdb|no-qt"
  "src/classresults|core resultsdb classresults|no-qt"
  "src/commands/command_text|core descr commands/command_text|no-qt"
  "src/platform|core pictures platform|qt"
  "src/platform/media|platform/media platform/media_module|qt"
  "src/game|core pictures descr resultsdb platform game|qt"
  "src/scene|core pictures descr resultsdb platform game scene|qt"
  "src/endscreen|core pictures descr resultsdb platform game scene endscreen|qt"
  "src/commands|core pictures descr resultsdb platform game scene endscreen commands|qt"
  "src/app/phrase|core app/phrase|no-qt"
  "src/app/command_line|core app/command_line app/new_game app/game_location app/phrase|no-qt"
  "src/app/new_game|core app/new_game app/game_location app/phrase|no-qt"
  "src/app/game_shelf|core app/game_shelf app/game_location app/phrase|no-qt"
  "src/app/game_location|core app/game_location app/phrase|no-qt"
  "tools/check|core pictures descr commands/command_text check|no-qt"
  "tools/results|core classresults app/class_results_text app/language app/phrase|qt"
  "tools/resultsdb|core resultsdb classresults app/class_results_text app/language app/phrase|qt"
)

set(failures "")
foreach(layer ${layers})
  string(REPLACE "|" ";" parts "${layer}")
  list(GET parts 0 where)
  list(GET parts 1 allowed)
  list(GET parts 2 qt)
  string(REPLACE " " ";" allowed "${allowed}")
  if(IS_DIRECTORY "${ROOT}/${where}")
    file(GLOB_RECURSE sources "${ROOT}/${where}/*.h" "${ROOT}/${where}/*.cpp")
  else()
    file(GLOB sources "${ROOT}/${where}.h" "${ROOT}/${where}.cpp")
  endif()
  foreach(source ${sources})
    # The Qt-free part of a folder is checked as its own layer.
    if(where STREQUAL "src/commands" AND source MATCHES "command_text")
      continue()
    endif()
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${includes})
      if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
        set(header "${CMAKE_MATCH_1}")
        if(NOT header MATCHES "/")
          continue() # a header beside it, in the same layer
        endif()
        set(ok FALSE)
        foreach(prefix ${allowed})
          string(LENGTH "${prefix}/" n)
          string(SUBSTRING "${header}" 0 ${n} head)
          if(head STREQUAL "${prefix}/" OR header MATCHES "^${prefix}\\.h$")
            set(ok TRUE)
          endif()
        endforeach()
        if(NOT ok)
          file(RELATIVE_PATH rel "${ROOT}" "${source}")
          list(APPEND failures "${rel}: includes \"${header}\", above its layer")
        endif()
      elseif(qt STREQUAL "no-qt" AND line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*|Qt[A-Za-z]*/[^>]*)>")
        file(RELATIVE_PATH rel "${ROOT}" "${source}")
        list(APPEND failures "${rel}: includes <${CMAKE_MATCH_1}>, but this layer builds without Qt")
      endif()
    endforeach()
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "layering broken:\n${text}")
endif()
message(STATUS "every layer includes only the layers below it")
