# The desktop program: the Qt library of windows and dialogs, the tavrin executable and its tests.
if(NOT TAVRIN_GUI)
    return()
endif()
find_package(Qt6 COMPONENTS Widgets PrintSupport Svg QUIET)
if(NOT Qt6_FOUND)
    message(STATUS "Qt 6 not found: the desktop program is not built")
    return()
endif()

# Qt layers, each using only those above it: ui (the program's toolkit), views, the dialogs,
# app (the program itself, all but its entry).
function(tavrin_qt_layer name)
    cmake_parse_arguments(L "" "" "DIRS;USES" ${ARGN})
    set(globs)
    foreach(d ${L_DIRS})
        list(APPEND globs ${CMAKE_SOURCE_DIR}/src/${d}/*.cpp)
    endforeach()
    file(GLOB sources CONFIGURE_DEPENDS ${globs})
    list(FILTER sources EXCLUDE REGEX "/src/app/main\\.cpp$")
    add_library(${name} STATIC ${sources})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PUBLIC ${L_USES})
    target_compile_options(${name} PRIVATE ${TAVRIN_WARNINGS})
endfunction()

# ui: prompts, help, controls, commands; views: drawing and view windows; dialogs: site editor,
# obstruction editor, site map, satellite configuration, options; app: frame, client, time bar.
tavrin_qt_layer(tavrin_ui DIRS ui USES tavrin_core Qt6::Widgets Qt6::PrintSupport Qt6::Svg)
tavrin_qt_layer(tavrin_views DIRS views views/ui USES tavrin_ui tavrin_terrain)
tavrin_qt_layer(tavrin_dialogs DIRS dialogs USES tavrin_views tavrin_net)
tavrin_qt_layer(tavrin_app DIRS app USES tavrin_dialogs)

# Icons and help pages, compiled in.
file(GLOB TAVRIN_GUI_ICONS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/icons/*.svg)
file(GLOB TAVRIN_GUI_HELP CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/resources/help/*.html ${CMAKE_SOURCE_DIR}/resources/help/*.css)
qt_add_resources(tavrin_ui tavrin_gui_resources
    PREFIX "/"
    BASE ${CMAKE_SOURCE_DIR}/resources
    FILES ${TAVRIN_GUI_ICONS} ${TAVRIN_GUI_HELP})

include(GNUInstallDirs)
if(EXISTS ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
    add_executable(tavrin src/app/main.cpp)
    target_link_libraries(tavrin PRIVATE tavrin_app)
    target_compile_options(tavrin PRIVATE ${TAVRIN_WARNINGS})
    set_target_properties(tavrin PROPERTIES AUTOMOC ON)
    install(TARGETS tavrin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

    # A site list named on the command line that cannot be used: one line naming it, exit 2, no window.
    enable_testing()
    add_test(NAME tavrin_rejects_a_missing_site_list
        COMMAND sh -c "\"$<TARGET_FILE:tavrin>\" /nonexistent/x.spl 2>&1 | grep -q 'nonexistent/x.spl: no such file' && { \"$<TARGET_FILE:tavrin>\" /nonexistent/x.spl 2>/dev/null; test $? -eq 2; }")
    add_test(NAME tavrin_rejects_a_file_that_is_no_site_list
        COMMAND sh -c "\"$<TARGET_FILE:tavrin>\" \"${CMAKE_SOURCE_DIR}/README.md\" 2>&1 | grep -q 'README.md: not a site list' && { \"$<TARGET_FILE:tavrin>\" \"${CMAKE_SOURCE_DIR}/README.md\" 2>/dev/null; test $? -eq 2; }")
    set_tests_properties(tavrin_rejects_a_missing_site_list tavrin_rejects_a_file_that_is_no_site_list
        PROPERTIES ENVIRONMENT
        "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/app/lsan.supp")
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/resources/tavrin.desktop)
    install(FILES resources/tavrin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES resources/icons/tavrin.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# Opening the site editor on a long list (bench/sitedialog_bench.cpp; the general benchmark target
# compiles that file to nothing).
find_package(benchmark QUIET)
if(benchmark_FOUND AND EXISTS ${CMAKE_SOURCE_DIR}/bench/sitedialog_bench.cpp)
    add_executable(tavrin_dialogs_bench EXCLUDE_FROM_ALL bench/sitedialog_bench.cpp)
    target_link_libraries(tavrin_dialogs_bench PRIVATE tavrin_dialogs benchmark::benchmark)
    target_compile_options(tavrin_dialogs_bench PRIVATE ${TAVRIN_WARNINGS})
    target_compile_definitions(tavrin_dialogs_bench PRIVATE TAVRIN_DIALOGS_BENCH=1)
endif()

# Screenshots of the site dialogs (run under xvfb-run, see the source).
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/dialog_shots.cpp)
    add_executable(tavrin_dialog_shots EXCLUDE_FROM_ALL tools/dialog_shots.cpp)
    target_link_libraries(tavrin_dialog_shots PRIVATE tavrin_dialogs)
    target_compile_options(tavrin_dialog_shots PRIVATE ${TAVRIN_WARNINGS})
endif()

# --- GUI tests: offscreen platform, scripted prompts ------------------------------------------
enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB TAVRIN_GUI_TESTS CONFIGURE_DEPENDS tests/ui/*.cpp tests/app/*.cpp tests/views/ui/*.cpp
    tests/dialogs/*.cpp)
find_package(Qt6 COMPONENTS Test QUIET)
if(TAVRIN_GUI_TESTS AND TARGET Qt6::Test)
    add_executable(tavrin_gui_tests ${TAVRIN_GUI_TESTS})
    set_target_properties(tavrin_gui_tests PROPERTIES AUTOMOC ON)
    target_link_libraries(tavrin_gui_tests PRIVATE tavrin_app Qt6::Test GTest::gtest)
    target_include_directories(tavrin_gui_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_compile_options(tavrin_gui_tests PRIVATE ${TAVRIN_TEST_WARNINGS})
    target_compile_definitions(tavrin_gui_tests PRIVATE
        TAVRIN_SOURCE_DIR="${CMAKE_SOURCE_DIR}" TAVRIN_BINARY_DIR="${CMAKE_BINARY_DIR}")
    # Qt and fontconfig keep caches until the process ends; only libraries outside the project.
    gtest_discover_tests(tavrin_gui_tests DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT
        "QT_QPA_PLATFORM=offscreen;TAVRIN_NO_SPLASH=1;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/app/lsan.supp")
endif()

# Pictures of the whole program for docs/ (run under Xvfb, see each tool): the main window, and
# every system planned from navigation files.
foreach(tool main_window_shot gnss_shots)
    add_executable(tavrin_${tool} EXCLUDE_FROM_ALL tools/${tool}.cpp)
    target_link_libraries(tavrin_${tool} PRIVATE tavrin_app)
    target_include_directories(tavrin_${tool} PRIVATE ${CMAKE_SOURCE_DIR}/tools)
    target_compile_options(tavrin_${tool} PRIVATE ${TAVRIN_WARNINGS})
    if(TARGET tavrin_almanacs)
        add_dependencies(tavrin_${tool} tavrin_almanacs tavrin_sample_sites)
    endif()
endforeach()
