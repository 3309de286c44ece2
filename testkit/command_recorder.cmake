# command_recorder.exe: writes how it was started to a file, and may keep running for a while.
add_executable(command_recorder ${CMAKE_SOURCE_DIR}/testkit/command_recorder.cpp)
target_compile_options(command_recorder PRIVATE ${GLT_WARNINGS})
target_compile_definitions(command_recorder PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_options(command_recorder PRIVATE -municode)
set_target_properties(command_recorder PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testkit)
add_dependencies(testkit command_recorder)
