# Checks that the libraries of src/ depend one way only: a file includes headers of its own folder
# and of the folders below it, never of one above, and nothing below ui/ includes a widget header
# (the Qt dialogs of platform/ excepted, which only ui/ links).
#   cmake -DSRC=<src folder> -P LayerCheck.cmake
cmake_minimum_required(VERSION 3.25)

# Each folder and the folders it may include from.
set(allowed_document document)
set(allowed_io io)
set(allowed_music music document)
set(allowed_formats formats music document io)
set(allowed_platform platform formats music document io)
set(allowed_print print platform formats music document io)
set(allowed_commands commands print platform formats music document io)
set(allowed_ui ui commands print platform formats music document io)
set(layers document io music formats platform print commands ui)
set(widget_files platform/QtDialogs.h platform/QtDialogs.cpp platform/TransposeDialog.h platform/TransposeDialog.cpp)
set(widget_headers "QWidget|QApplication|QDialog|QMessageBox|QFileDialog|QMainWindow|QLineEdit|QPlainTextEdit|QLabel|QPushButton|QComboBox|QSpinBox|QRadioButton|QCheckBox|QListWidget|QScrollArea|QMenu|QMenuBar|QtWidgets")

set(faults "")
foreach(layer IN LISTS layers)
  file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/${layer}/*.h ${SRC}/${layer}/*.cpp)
  foreach(f IN LISTS files)
    file(STRINGS ${SRC}/${f} includes REGEX "^#include [\"<]")
    foreach(line IN LISTS includes)
      if(line MATCHES "^#include \"([a-z]+)/")
        set(target ${CMAKE_MATCH_1})
        if(NOT target IN_LIST allowed_${layer})
          string(APPEND faults "\n  ${f}: ${line} (${layer} may not depend on ${target})")
        endif()
      elseif(line MATCHES "^#include <(${widget_headers})>" AND NOT layer STREQUAL "ui" AND NOT f IN_LIST widget_files)
        string(APPEND faults "\n  ${f}: ${line} (a widget below ui)")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Includes that climb a layer:${faults}")
endif()
message(STATUS "Layers depend one way only.")
