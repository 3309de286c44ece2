# The stand-in product "Glintr7.exe": what the product program must do for the setup.
# glt_standin_product(<target> <folder below testkit> <version as a,b,c,d>)
function(glt_standin_product target folder version)
    add_executable(${target} WIN32
        ${CMAKE_SOURCE_DIR}/testkit/standin_product.cpp
        ${CMAKE_SOURCE_DIR}/testkit/standin_product.rc)
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${GLT_WARNINGS}>)
    target_link_options(${target} PRIVATE -municode)
    target_link_libraries(${target} PRIVATE glintsetup)
    target_compile_definitions(${target} PRIVATE GLT_STANDIN_VERSION=${version})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME Glintr7
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testkit/${folder})
    add_dependencies(testkit ${target})
endfunction()

glt_standin_product(standin_product "." "${GLT_STANDIN_VERSION}")
