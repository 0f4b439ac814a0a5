# Fails when the core library links Qt Widgets or one of its sources includes a widget header.
# Run as: cmake -DCORE_LINKS=... -DCORE_SOURCES_FILE=... -DWIDGETS_INCLUDE_DIR=... -P this file,
# where the sources file lists the core's sources, one per line.
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

file(STRINGS "${CORE_SOURCES_FILE}" CORE_SOURCES)
set(found "")
foreach(source IN LISTS CORE_SOURCES)
  file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*<")
  foreach(line IN LISTS includes)
    if(line MATCHES "<(QtWidgets/[^>]*|(${alternatives}))>")
      list(APPEND found "${source}: ${line}")
    endif()
  endforeach()
endforeach()
if(found)
  list(JOIN found "\n  " report)
  message(FATAL_ERROR "ktv31core includes widget headers:\n  ${report}")
endif()
message(STATUS "ktv31core is free of Qt Widgets")
