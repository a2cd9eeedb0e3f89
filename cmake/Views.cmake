# The views' drawing tests, benchmark and screenshots; the library is a layer of cmake/Gui.cmake.
if(NOT TAVRIN_GUI)
    return()
endif()
find_package(Qt6 COMPONENTS Widgets Gui Svg PrintSupport QUIET)
if(NOT Qt6_FOUND)
    message(STATUS "Qt 6 not found: the views are not built")
    return()
endif()

enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB TAVRIN_VIEWS_TESTS CONFIGURE_DEPENDS tests/views/*.cpp)
if(TAVRIN_VIEWS_TESTS)
    # The main lives one level down so that a glob of tests/views/*.cpp never gets a second main.
    add_executable(tavrin_views_tests ${TAVRIN_VIEWS_TESTS} tests/views/main/main.cpp)
    target_link_libraries(tavrin_views_tests PRIVATE tavrin_views GTest::gtest)
    target_include_directories(tavrin_views_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_compile_options(tavrin_views_tests PRIVATE ${TAVRIN_WARNINGS})
    target_compile_definitions(tavrin_views_tests PRIVATE TAVRIN_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    # Qt and fontconfig keep caches until the process ends; the suppressions name only those libraries.
    gtest_discover_tests(tavrin_views_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "views."
        PROPERTIES ENVIRONMENT
        "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/views/lsan.supp")
endif()

find_package(benchmark QUIET)
if(benchmark_FOUND AND EXISTS ${CMAKE_SOURCE_DIR}/bench/views_bench.cpp)
    add_executable(tavrin_views_bench bench/views_bench.cpp)
    target_link_libraries(tavrin_views_bench PRIVATE tavrin_views benchmark::benchmark)
    target_compile_options(tavrin_views_bench PRIVATE ${TAVRIN_WARNINGS})
    # The general benchmark target globs bench/*.cpp without Qt; this file compiles to nothing there.
    target_compile_definitions(tavrin_views_bench PRIVATE TAVRIN_VIEWS_BENCH=1
        TAVRIN_ALMANAC_DIR="${TAVRIN_STAGE_DIR}/almanacs")
    if(TARGET tavrin_almanacs)
        add_dependencies(tavrin_views_bench tavrin_almanacs)
    endif()
endif()

# Screenshots of the three views for the documentation (run under xvfb-run, see the source).
if(TARGET tavrin_views AND EXISTS ${CMAKE_SOURCE_DIR}/tools/view_shots.cpp)
    add_executable(tavrin_view_shots EXCLUDE_FROM_ALL tools/view_shots.cpp)
    target_link_libraries(tavrin_view_shots PRIVATE tavrin_views)
    target_include_directories(tavrin_view_shots PRIVATE ${CMAKE_SOURCE_DIR}/bench)
    target_compile_options(tavrin_view_shots PRIVATE ${TAVRIN_WARNINGS})
    if(TARGET tavrin_almanacs)
        add_dependencies(tavrin_view_shots tavrin_almanacs)
    endif()
endif()
