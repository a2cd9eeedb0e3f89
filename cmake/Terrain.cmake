# Elevation models: GDAL reads them, the core computes the horizons. The command line and the
# desktop's dialogs use it.
find_package(GDAL CONFIG REQUIRED)
file(GLOB TAVRIN_TERRAIN_SOURCES CONFIGURE_DEPENDS src/terrain/*.cpp)
tavrin_layer(tavrin_terrain SOURCES ${TAVRIN_TERRAIN_SOURCES} USES tavrin_core GDAL::GDAL)
# The command line's part that reads models and downloads: linked by the program with Qt beside
# tavrin-cli, or, where there is none, by tavrin-cli itself.
if(TARGET tavrin_cli)
    file(GLOB TAVRIN_CLI_FULL_SOURCES CONFIGURE_DEPENDS src/cli/full/*.cpp)
    add_library(tavrin_cli_full STATIC ${TAVRIN_CLI_FULL_SOURCES})
    target_link_libraries(tavrin_cli_full PUBLIC tavrin_cli tavrin_terrain tavrin_net)
    target_compile_options(tavrin_cli_full PRIVATE ${TAVRIN_WARNINGS})
endif()

enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB TAVRIN_TERRAIN_TESTS CONFIGURE_DEPENDS tests/terrain/*.cpp)
add_executable(tavrin_terrain_tests ${TAVRIN_TERRAIN_TESTS})
target_link_libraries(tavrin_terrain_tests PRIVATE tavrin_terrain GTest::gtest GTest::gtest_main)
target_compile_options(tavrin_terrain_tests PRIVATE ${TAVRIN_TEST_WARNINGS})
target_compile_definitions(tavrin_terrain_tests PRIVATE TAVRIN_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
# GDAL keeps its drivers and caches until the process ends.
gtest_discover_tests(tavrin_terrain_tests DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/app/lsan.supp")
