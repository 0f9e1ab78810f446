# The song sheet: one page in-process, and versino-print against the chordii + ps2pdf pipeline.
add_executable(bench-print ${CMAKE_CURRENT_LIST_DIR}/print/PrintBench.cpp)
target_include_directories(bench-print PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(bench-print PRIVATE versino_commands versino_print versino_printsupport versino_document versino_platform Qt6::Gui)
target_compile_definitions(bench-print PRIVATE VERSINO_PRINT_EXE="$<TARGET_FILE:versino-print>")
add_dependencies(bench-print versino-print)
set_target_properties(bench-print PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
