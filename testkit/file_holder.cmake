# file_holder.exe: keeps files open without FILE_SHARE_DELETE, the "locked" case of the tests.
add_executable(file_holder ${CMAKE_SOURCE_DIR}/testkit/file_holder.cpp)
target_compile_options(file_holder PRIVATE ${GLT_WARNINGS})
target_link_options(file_holder PRIVATE -municode)
set_target_properties(file_holder PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testkit)
add_dependencies(testkit file_holder)
