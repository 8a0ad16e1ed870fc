# Helpers shared by every folder's CMakeLists.txt.

# Adds every direct subfolder of the current folder that has a CMakeLists.txt.
function(brontavik_add_subfolders)
    file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child ${children})
        if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()

# brontavik_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l] [GL] [TIMEOUT s])
# A GoogleTest executable registered with CTest. GL tests run on SDL's
# offscreen video driver (EGL on Mesa), audio on the dummy driver.
function(brontavik_add_test name)
    cmake_parse_arguments(T "GL" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    if(NOT BRONTAVIK_TESTS)
        return()
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    brontavik_link_platform(${name})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    set(env "SDL_AUDIODRIVER=dummy" "BRONTAVIK_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
            "BRONTAVIK_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
    if(T_GL)
        list(APPEND env "SDL_VIDEODRIVER=offscreen" "LIBGL_ALWAYS_SOFTWARE=1")
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
    if(T_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
    if(T_TIMEOUT)
        set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    else()
        set_tests_properties(${name} PROPERTIES TIMEOUT 600)
    endif()
endfunction()

# brontavik_add_benchmark(NAME SOURCES ... LIBS ...): a Google Benchmark
# executable in build/bin; not run by CTest (benchmarks measure, tests check).
function(brontavik_add_benchmark name)
    cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
    if(NOT BRONTAVIK_TESTS OR NOT benchmark_FOUND)
        return()
    endif()
    add_executable(${name} ${B_SOURCES})
    target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
    brontavik_link_platform(${name})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
endfunction()

# brontavik_add_fuzzer(NAME SOURCES ... LIBS ...): a libFuzzer target, built
# only in the fuzzing build (clang, ASan + UBSan). scripts/fuzz runs every
# executable whose name starts with fuzz_ for a bounded time; when an
# executable <name>-seeds exists it is run first with the corpus folder as
# its one argument to write seed inputs.
function(brontavik_add_fuzzer name)
    cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
    if(NOT BRONTAVIK_FUZZ)
        return()
    endif()
    add_executable(${name} ${F_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
endfunction()

# brontavik_subsystem(NAME [LIBS ...]): the folder's library, built from every
# .cpp file directly in it (a main.cpp is left to the folder's executable).
function(brontavik_subsystem name)
    cmake_parse_arguments(S "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC ${S_LIBS})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${S_LIBS})
    endif()
endfunction()

# brontavik_use_gl_layer(TARGET): the executable draws through the
# fixed-function GL layer (platform/gl_layer) on an OpenGL ES 3.0 context
# instead of the system's GL 1.x; the scene libraries are the same.
function(brontavik_use_gl_layer target)
    set_target_properties(${target} PROPERTIES BRONTAVIK_GL layer)
    target_link_libraries(${target} PRIVATE gl_layer)
endfunction()
