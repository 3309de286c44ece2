# instance_probe.exe: prints the shared list of running instances, for the demo.
add_executable(instance_probe ${CMAKE_SOURCE_DIR}/testkit/instance_probe.cpp)
target_compile_options(instance_probe PRIVATE ${GLT_WARNINGS})
target_link_options(instance_probe PRIVATE -municode)
target_link_libraries(instance_probe PRIVATE glintsetup)
set_target_properties(instance_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testkit)
add_dependencies(testkit instance_probe)
