# version_sample.exe: file version 7.300.65535.1024, product version 9.8.7.6.
add_executable(version_sample ${CMAKE_SOURCE_DIR}/testkit/version_sample.cpp ${CMAKE_SOURCE_DIR}/testkit/version_sample.rc)
target_compile_options(version_sample PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${GLT_WARNINGS}>)
set_target_properties(version_sample PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testkit)
add_dependencies(testkit version_sample)
