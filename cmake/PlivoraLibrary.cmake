# plivora_library(name [DEPS ...]) builds the static library of one source folder from the .cpp
# files in it. The folder's headers are reached as "folder/header.h" from src/.
function(plivora_library name)
    cmake_parse_arguments(ARG "" "" "PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_library(plivora_${name} STATIC ${sources})
    target_include_directories(plivora_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(plivora_${name} PRIVATE plivora_warnings)
    if(ARG_PUBLIC_DEPS)
        target_link_libraries(plivora_${name} PUBLIC ${ARG_PUBLIC_DEPS})
    endif()
    if(ARG_PRIVATE_DEPS)
        target_link_libraries(plivora_${name} PRIVATE ${ARG_PRIVATE_DEPS})
    endif()
endfunction()

# plivora_test(name SOURCES... DEPS...) builds one GoogleTest binary and registers its tests.
function(plivora_test name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(NOT sources)
        return()  # a suite that has no tests yet
    endif()
    add_executable(test_${name} ${sources})
    target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main plivora_warnings)
    target_compile_definitions(test_${name} PRIVATE PLIVORA_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
    gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
