add_executable(bench-ui-window ${CMAKE_CURRENT_LIST_DIR}/ui/WindowBench.cpp)
target_include_directories(bench-ui-window PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(bench-ui-window PRIVATE versino_ui Qt6::Test)
set_target_properties(bench-ui-window PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

add_executable(bench-ui-stage ${CMAKE_CURRENT_LIST_DIR}/ui/StageBench.cpp)
target_link_libraries(bench-ui-stage PRIVATE versino_ui)
set_target_properties(bench-ui-stage PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
