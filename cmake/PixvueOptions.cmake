# Compiler warnings and sanitizer builds shared by every target of the project.

set(PIXVUE_SANITIZE "" CACHE STRING "Sanitizer build: empty, 'address' (ASan+UBSan) or 'thread' (TSan)")
set_property(CACHE PIXVUE_SANITIZE PROPERTY STRINGS "" address thread)

add_compile_options(-Wall -Wextra)

if(PIXVUE_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(PIXVUE_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT PIXVUE_SANITIZE STREQUAL "")
    message(FATAL_ERROR "PIXVUE_SANITIZE must be empty, 'address' or 'thread'")
endif()

# Under the sanitizers the tests run many times slower, and slower still on a loaded machine:
# their time-outs only guard against hangs. Every test of the TSan build reads one suppression
# file.
set(PIXVUE_TSAN_SUPPRESSIONS ${CMAKE_SOURCE_DIR}/tests/sanitizers/tsan.supp)
if(PIXVUE_SANITIZE)
    set(PIXVUE_TEST_TIMEOUT 2400)
    set(PIXVUE_SANITIZER_TEST_ENV "QTEST_FUNCTION_TIMEOUT=1800000")
else()
    set(PIXVUE_TEST_TIMEOUT 600)
    set(PIXVUE_SANITIZER_TEST_ENV "")
endif()
if(PIXVUE_SANITIZE STREQUAL "thread")
    list(APPEND PIXVUE_SANITIZER_TEST_ENV
        "TSAN_OPTIONS=suppressions=${PIXVUE_TSAN_SUPPRESSIONS}:halt_on_error=1:second_deadlock_stack=1:history_size=4")
endif()

# Adds a Qt Test executable as a CTest test. Extra arguments are libraries to link.
function(pixvue_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENV" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt5::Test ${ARG_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PIXVUE_TEST_DIR})
    add_test(NAME ${name} COMMAND ${name})
    # The sanitizer settings come last so that they win over a test's own.
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;PIXVUE_TESTDATA=${PIXVUE_TESTDATA};PIXVUE_BIN_DIR=${PIXVUE_BIN_DIR};${ARG_ENV};${PIXVUE_SANITIZER_TEST_ENV}"
        TIMEOUT ${PIXVUE_TEST_TIMEOUT})
endfunction()

# Debian's hardening, in the release build the package is made from: fortified libc calls,
# the strong stack protector, relocations read-only and bound at start, position-independent
# executables. Not with the sanitizers or the fuzzer (they replace those libc calls), nor
# without optimisation (fortifying needs it).
option(PIXVUE_HARDENING "Build with Debian's hardening flags" ON)
if(PIXVUE_HARDENING AND NOT PIXVUE_SANITIZE AND NOT PIXVUE_FUZZ
   AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    add_compile_options(-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2 -fstack-protector-strong)
    add_link_options(LINKER:-z,relro LINKER:-z,now)
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    include(CheckPIESupported)
    check_pie_supported()
endif()
