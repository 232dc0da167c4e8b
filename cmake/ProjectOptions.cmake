# Settings shared by every target of our own: warnings as errors, sanitizers.

if(SANITIZE)
    string(REPLACE "," ";" _sanitizers "${SANITIZE}")
    foreach(_s IN LISTS _sanitizers)
        if(NOT _s MATCHES "^(address|undefined|thread|leak)$")
            message(FATAL_ERROR "Unknown sanitizer '${_s}' in SANITIZE=${SANITIZE}")
        endif()
    endforeach()
    # Line tables are enough for the reports, and much cheaper to build than -g.
    add_compile_options(-fsanitize=${SANITIZE} -fno-omit-frame-pointer -g1)
    add_link_options(-fsanitize=${SANITIZE})
endif()
if(VANTOR_FUZZ)
    # Coverage for libFuzzer in every library; the targets link its main.
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Applies our warning set to a target. Third-party headers come in through
# imported targets or SYSTEM include directories, so they stay quiet.
function(vantor_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wnon-virtual-dtor -Woverloaded-virtual
        -Wcast-align -Wnull-dereference -Wformat=2 -Werror
        # The fuzz build uses clang, which lacks the first and would ask to
        # drop lambda captures that g++ wants.
        $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>
        $<$<CXX_COMPILER_ID:Clang>:-Wno-unused-lambda-capture>)
endfunction()

# A static library of ours: vantor_library(name SOURCES... [AUTOMOC])
function(vantor_library name)
    cmake_parse_arguments(ARG "AUTOMOC" "" "" ${ARGN})
    add_library(${name} STATIC ${ARG_UNPARSED_ARGUMENTS})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    if(ARG_AUTOMOC)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
    vantor_warnings(${name})
endfunction()

# A test executable registered with CTest, one CTest entry per test case.
# Labels: "gui" needs a display, "netns" needs the private network namespace.
# GUI tests get a QApplication, the others a QCoreApplication; MAIN names
# another main library (e.g. vantor_test_main_view for tests with a 3D view).
function(vantor_test name)
    cmake_parse_arguments(ARG "GUI" "MAIN" "SOURCES;LIBS;LABELS" ${ARGN})
    if(ARG_GUI)
        set(_main vantor_test_main_gui)
        list(APPEND ARG_LABELS gui)
    else()
        set(_main vantor_test_main_core)
    endif()
    if(ARG_MAIN)
        set(_main ${ARG_MAIN})
    endif()
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${_main})
    vantor_warnings(${name})
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
        TEST_LIST ${name}_TESTS
        PROPERTIES TIMEOUT 120 ENVIRONMENT "VANTOR_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
    # Labels are a list, which the discovery's property list would split
    # into separate properties; they are set once the tests are known.
    set(_labels ${name} ${ARG_LABELS})
    set(_labels_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
    file(WRITE ${_labels_file}
        "if(${name}_TESTS)\n"
        "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${_labels}\")\n"
        "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${_labels_file})
endfunction()
