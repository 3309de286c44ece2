# GltProbe.dll: a harmless library, loadable wherever the system's library search finds it.
add_library(probe_library SHARED ${CMAKE_SOURCE_DIR}/testkit/probe_library.cpp)
target_compile_options(probe_library PRIVATE ${GLT_WARNINGS})
set_target_properties(probe_library PROPERTIES OUTPUT_NAME GltProbe PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testkit)
add_dependencies(testkit probe_library)
