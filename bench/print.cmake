# The song sheet: one page in-process, and versino-print against the chordii + ps2pdf pipeline.
add_executable(bench-print ${CMAKE_CURRENT_LIST_DIR}/print/PrintBench.cpp)
target_include_directories(bench-print PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(bench-print PRIVATE versino_commands versino_print versino_printsupport versino_document versino_platform Qt6::Gui)
target_compile_definitions(bench-print PRIVATE VERSINO_PRINT_EXE="$<TARGET_FILE:versino-print>")
add_dependencies(bench-print versino-print)
set_target_properties(bench-print PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

# A 1,000-song book with contents and register, against chordii -i + ps2pdf on the same songs.
add_executable(bench-songbook ${CMAKE_CURRENT_LIST_DIR}/print/SongbookBench.cpp)
target_link_libraries(bench-songbook PRIVATE versino_formats versino_document Qt6::Gui)
target_compile_definitions(bench-songbook PRIVATE VERSINO_PRINT_EXE="$<TARGET_FILE:versino-print>")
add_dependencies(bench-songbook versino-print)
set_target_properties(bench-songbook PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

# The floor under one song's time: Qt alone writing the song's four faces to one PDF page.
add_executable(bench-qt-floor ${CMAKE_CURRENT_LIST_DIR}/print/QtFloor.cpp)
target_link_libraries(bench-qt-floor PRIVATE Qt6::Gui)
set_target_properties(bench-qt-floor PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
