add_executable(bench-layout-file ${CMAKE_CURRENT_LIST_DIR}/formats/LayoutFileBench.cpp)
target_link_libraries(bench-layout-file PRIVATE versino_formats)
set_target_properties(bench-layout-file PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

add_executable(bench-chordpro ${CMAKE_CURRENT_LIST_DIR}/formats/ChordProBench.cpp)
target_link_libraries(bench-chordpro PRIVATE versino_formats)
target_compile_definitions(bench-chordpro PRIVATE VERSINO_PRINT_EXE="$<TARGET_FILE:versino-print>")
add_dependencies(bench-chordpro versino-print)
set_target_properties(bench-chordpro PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

add_executable(bench-chordsheet ${CMAKE_CURRENT_LIST_DIR}/formats/ChordSheetBench.cpp)
target_link_libraries(bench-chordsheet PRIVATE versino_formats)
set_target_properties(bench-chordsheet PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
