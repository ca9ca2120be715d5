# plivora_library(name SOURCES ... [PUBLIC_DEPS ...] [PRIVATE_DEPS ...]) builds the static library
# plivora_<name>. Headers are reached as "folder/header.h" from src/. A library whose sources lie
# in several folders is declared without SOURCES, and each folder adds its own with
# target_sources.
function(plivora_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
    add_library(plivora_${name} STATIC ${ARG_SOURCES})
    target_include_directories(plivora_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
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
