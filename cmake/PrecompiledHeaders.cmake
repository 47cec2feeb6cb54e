# Precompiled headers. Most of our translation units spend more of their compile time parsing
# the standard library (and, in tests, gtest) than compiling their own code, so each build
# parses those headers once per kind of target instead of once per file.
#
# GCC's unoptimised builds only (see the top-level list): clang refuses a precompiled header
# made under other definitions, and the builds without one keep our include lists honest.
#
# GCC reuses a precompiled header only under the same -fPIC/-fPIE setting, so libraries and
# executables each get one, made by a small object library compiled as they are.

set(vt_pch_std_headers
    <algorithm> <array> <atomic> <chrono> <cstddef> <cstdint> <cstdio> <cstdlib> <cstring>
    <filesystem> <fstream> <functional> <map> <memory> <mutex> <optional> <set> <span>
    <string> <string_view> <thread> <unordered_map> <utility> <vector>)

function(vt_pch_owner name pie)
    set(source ${CMAKE_BINARY_DIR}/pch/${name}.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "// Compiles only this target's precompiled header.\n")
    add_library(${name} OBJECT ${source})
    if(pie)
        set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE OFF)
        target_compile_options(${name} PRIVATE ${CMAKE_CXX_COMPILE_OPTIONS_PIE})
    endif()
    list(TRANSFORM ARGN REPLACE "(.+)" "$<$<COMPILE_LANGUAGE:CXX>:\\1>" OUTPUT_VARIABLE headers)
    target_precompile_headers(${name} PRIVATE ${headers})
endfunction()

# Call before the subdirectories: the owners must see the same global options as every target.
function(vt_pch_define_owners)
    vt_pch_owner(vt_pch_library OFF ${vt_pch_std_headers})
    vt_pch_owner(vt_pch_program ON ${vt_pch_std_headers})
    if(NOT VANTREL_FUZZ)
        find_package(GTest REQUIRED)
        vt_pch_owner(vt_pch_test ON ${vt_pch_std_headers} <gtest/gtest.h>)
        # With gtest's own definitions, which its headers test.
        target_link_libraries(vt_pch_test PRIVATE GTest::gtest)
    endif()
endfunction()

function(vt_pch_collect_targets dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub ${subdirs})
        vt_pch_collect_targets(${sub} sub_targets)
        list(APPEND targets ${sub_targets})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Call after the subdirectories: every library and program, whichever folder adds it, reuses
# the header of its kind; tests are the programs that link the test support library.
function(vt_pch_apply_everywhere)
    vt_pch_collect_targets(${CMAKE_SOURCE_DIR} targets)
    foreach(target ${targets})
        if(target MATCHES "^vt_pch_")
            continue()
        endif()
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "EXECUTABLE")
            get_target_property(libraries ${target} LINK_LIBRARIES)
            if("vt_test_support" IN_LIST libraries)
                set(owner vt_pch_test)
            else()
                set(owner vt_pch_program)
            endif()
        elseif(type MATCHES "^(STATIC|SHARED|MODULE|OBJECT)_LIBRARY$")
            set(owner vt_pch_library)
        else()
            continue()
        endif()
        # A library whose compile flags define a macro the system headers test (SDL's
        # -D_REENTRANT) could not use a header made without it.
        get_target_property(libraries ${target} LINK_LIBRARIES)
        set(defines_system_macro OFF)
        foreach(library ${libraries})
            if(TARGET ${library})
                get_target_property(options ${library} INTERFACE_COMPILE_OPTIONS)
                if("-D_REENTRANT" IN_LIST options)
                    set(defines_system_macro ON)
                endif()
            endif()
        endforeach()
        if(defines_system_macro)
            continue()
        endif()
        target_precompile_headers(${target} REUSE_FROM ${owner})
        # A file built with its own options (e.g. -O3 or another instruction set) could not
        # use the shared header.
        get_target_property(sources ${target} SOURCES)
        get_target_property(source_dir ${target} SOURCE_DIR)
        foreach(source ${sources})
            if(source MATCHES "^\\$<")
                continue()
            endif()
            cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${source_dir})
            get_source_file_property(options ${source} TARGET_DIRECTORY ${target} COMPILE_OPTIONS)
            if(options)
                set_source_files_properties(${source} TARGET_DIRECTORY ${target}
                                            PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
            endif()
        endforeach()
    endforeach()
endfunction()
