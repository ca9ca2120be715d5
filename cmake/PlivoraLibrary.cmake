# plivora_include_root(target name folder...) gives `target` the include root include/<name>/ of
# the build tree, exported PUBLIC, holding one link per folder (a full path) under the folder's own
# name. The root is made afresh at every configure, so that a folder dropped leaves no link.
function(plivora_include_root target name)
    set(root ${PROJECT_BINARY_DIR}/include/${name})
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root})
    foreach(folder IN LISTS ARGN)
        if(NOT IS_DIRECTORY ${folder})
            message(FATAL_ERROR "plivora_include_root(${target}): no folder ${folder}")
        endif()
        get_filename_component(link ${folder} NAME)
        file(CREATE_LINK ${folder} ${root}/${link} SYMBOLIC)
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
endfunction()

# plivora_library(name [SOURCES ...] [FOLDERS ...] [PUBLIC_DEPS ...] [PRIVATE_DEPS ...]) builds the
# static library plivora_<name>. A library whose sources lie in several folders is declared
# without SOURCES and names its FOLDERS (by default the one folder of src/ named like the library);
# each folder adds its own sources with target_sources.
#
# Headers are reached as "folder/header.h". Each library has an include root of its own in the
# build tree, include/<name>/, holding one link per folder of the library (include/win/win ->
# src/win), and exports it PUBLIC: a library, and whatever links it, sees its own folders and
# those of the libraries it links, and no other. An include across an edge that the links do not
# make fails to compile; tests/style/allowed_includes.txt states the edges that are meant.
function(plivora_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;FOLDERS;PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
    if(NOT ARG_FOLDERS)
        set(ARG_FOLDERS ${name})
    endif()
    add_library(plivora_${name} STATIC ${ARG_SOURCES})
    set_target_properties(plivora_${name} PROPERTIES UNITY_BUILD ${PLIVORA_UNITY_LIBRARIES})
    list(TRANSFORM ARG_FOLDERS PREPEND ${PROJECT_SOURCE_DIR}/src/)
    plivora_include_root(plivora_${name} ${name} ${ARG_FOLDERS})
    target_link_libraries(plivora_${name} PRIVATE plivora_warnings)
    if(ARG_PUBLIC_DEPS)
        target_link_libraries(plivora_${name} PUBLIC ${ARG_PUBLIC_DEPS})
    endif()
    if(ARG_PRIVATE_DEPS)
        target_link_libraries(plivora_${name} PRIVATE ${ARG_PRIVATE_DEPS})
    endif()
endfunction()

# plivora_test(name SOURCES ... DEPS ...) builds one GoogleTest binary and registers its tests.
function(plivora_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(test_${name} ${ARG_SOURCES})
    target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main plivora_warnings)
    target_compile_definitions(test_${name} PRIVATE PLIVORA_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
    gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
