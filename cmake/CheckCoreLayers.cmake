# Fails when the core library breaks its layering: it links Qt Widgets, one of its sources
# includes a widget header, or a source includes a header of a folder above its own (or of a
# front end). Run as:
#   cmake -DCORE_LINKS=... -DCORE_SOURCES_FILE=... -DCORE_LAYERS=a|b|... -DWIDGETS_INCLUDE_DIR=...
#         -P this file
# where the sources file lists the core's sources, one per line, and CORE_LAYERS names the core's
# folders from the bottom up.
if(CORE_LINKS MATCHES "Widgets")
  message(FATAL_ERROR "ktv31core links Qt Widgets: ${CORE_LINKS}")
endif()

# Every header name Qt Widgets offers, when its headers are at hand; the common ones otherwise.
set(widget_headers QWidget QApplication QDialog QMainWindow QMessageBox QFileDialog QLabel
    QPushButton QComboBox QLineEdit QStatusBar QMenu QMenuBar QProgressBar)
if(WIDGETS_INCLUDE_DIR AND IS_DIRECTORY "${WIDGETS_INCLUDE_DIR}")
  file(GLOB widget_files RELATIVE "${WIDGETS_INCLUDE_DIR}" "${WIDGETS_INCLUDE_DIR}/Q*")
  list(APPEND widget_headers ${widget_files})
endif()
list(FILTER widget_headers EXCLUDE REGEX "\\.")
list(REMOVE_DUPLICATES widget_headers)
list(JOIN widget_headers "|" alternatives)

string(REPLACE "|" ";" layers "${CORE_LAYERS}")
# The front ends and the simulator stand above every core folder.
set(above_core windows cli sim)

file(STRINGS "${CORE_SOURCES_FILE}" CORE_SOURCES)
set(found "")
foreach(source IN LISTS CORE_SOURCES)
  set(own_rank -1)
  if(source MATCHES "/src/([a-z_]+)/[^/]+$")
    list(FIND layers "${CMAKE_MATCH_1}" own_rank)
  endif()
  if(own_rank LESS 0)
    list(APPEND found "${source}: not in a core folder (${CORE_LAYERS})")
    continue()
  endif()
  file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS includes)
    if(line MATCHES "<(QtWidgets/[^>]*|(${alternatives}))>")
      list(APPEND found "${source}: ${line} (a widget header)")
    elseif(line MATCHES "\"([a-z_]+)/[^\"]+\"")
      set(folder "${CMAKE_MATCH_1}")
      list(FIND layers "${folder}" rank)
      list(FIND above_core "${folder}" front_end)
      if(rank GREATER own_rank OR front_end GREATER_EQUAL 0)
        list(APPEND found "${source}: ${line} (${folder}/ is above this folder)")
      endif()
    endif()
  endforeach()
endforeach()
if(found)
  list(JOIN found "\n  " report)
  message(FATAL_ERROR "ktv31core breaks its layers:\n  ${report}")
endif()
message(STATUS "ktv31core keeps its layers (${CORE_LAYERS}) and is free of Qt Widgets")
