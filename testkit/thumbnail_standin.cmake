# GltThumbStandIn.dll: the stand-in thumbnail handler, which records its registration.
add_library(thumbnail_standin SHARED ${CMAKE_SOURCE_DIR}/testkit/thumbnail_standin.cpp
    ${CMAKE_SOURCE_DIR}/testkit/thumbnail_standin.def)
target_compile_options(thumbnail_standin PRIVATE ${GLT_WARNINGS})
# The .def file names the exports undecorated; in a 32-bit build they are found through the
# stdcall names, which the linker would otherwise mention each time.
target_link_options(thumbnail_standin PRIVATE -Wl,--enable-stdcall-fixup)
set_target_properties(thumbnail_standin PROPERTIES OUTPUT_NAME GltThumbStandIn PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testkit)
add_dependencies(testkit thumbnail_standin)
