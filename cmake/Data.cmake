# The almanacs the program ships, made at build time from the published almanacs in
# data/almanac-sources by the same import that `tavrin-cli almanac import` runs.

add_executable(tavrin_almanac_gen tools/almanac_gen.cpp)
target_link_libraries(tavrin_almanac_gen PRIVATE tavrin_core)
target_compile_options(tavrin_almanac_gen PRIVATE ${TAVRIN_WARNINGS})

set(TAVRIN_ALMANAC_SOURCES ${CMAKE_SOURCE_DIR}/data/almanac-sources)
set(TAVRIN_ALMANAC_DIR ${TAVRIN_STAGE_DIR}/almanacs)
set(TAVRIN_SHIPPED_ALMANACS)

# tavrin_ship_almanac(NAME DATE SOURCE...): DATE (YYYY-MM-DD) picks the era of weeks published
# modulo 1024, fixed here so that the build gives the same bytes on any day.
function(tavrin_ship_almanac name date)
    set(sources)
    foreach(s ${ARGN})
        list(APPEND sources ${TAVRIN_ALMANAC_SOURCES}/${s})
    endforeach()
    add_custom_command(
        OUTPUT ${TAVRIN_ALMANAC_DIR}/${name}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TAVRIN_ALMANAC_DIR}
        COMMAND tavrin_almanac_gen ${TAVRIN_ALMANAC_DIR} ${date} ${name} ${sources}
        DEPENDS tavrin_almanac_gen ${sources}
        COMMENT "Making the shipped almanac ${name}")
    set(TAVRIN_SHIPPED_ALMANACS ${TAVRIN_SHIPPED_ALMANACS} ${TAVRIN_ALMANAC_DIR}/${name} PARENT_SCOPE)
endfunction()

# US Coast Guard YUMA, week 331 (modulo 1024) of 2025-08-11: full week 2379.
tavrin_ship_almanac(alm25.223 2025-08-11 almanac.yuma.week0331.147456.txt)
# IAC GPS and GLONASS almanacs of 2018-09-13. The name follows the GPS almanac's date, its time
# of almanac (week 2018, 589824 s = 2018-09-15), as for every import.
tavrin_ship_almanac(alm18.258 2018-09-13 MCCJ_180913.agp MCCJ_180913.agl)

add_custom_target(tavrin_almanacs ALL DEPENDS ${TAVRIN_SHIPPED_ALMANACS})
install(FILES ${TAVRIN_SHIPPED_ALMANACS} DESTINATION share/tavrin/almanacs)

# The sample site list, made from its text description.
add_executable(tavrin_sitelist_gen tools/sitelist_gen.cpp)
target_link_libraries(tavrin_sitelist_gen PRIVATE tavrin_core)
target_compile_options(tavrin_sitelist_gen PRIVATE ${TAVRIN_WARNINGS})
set(TAVRIN_SAMPLE_SITES ${TAVRIN_STAGE_DIR}/sites/sample.spl)
add_custom_command(
    OUTPUT ${TAVRIN_SAMPLE_SITES}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TAVRIN_STAGE_DIR}/sites
    COMMAND ${CMAKE_COMMAND} -E env TAVRIN_HOME=${CMAKE_BINARY_DIR}/sitelist-gen-home
            $<TARGET_FILE:tavrin_sitelist_gen> ${CMAKE_SOURCE_DIR}/data/sites/sample-sites.txt ${TAVRIN_SAMPLE_SITES}
    DEPENDS tavrin_sitelist_gen ${CMAKE_SOURCE_DIR}/data/sites/sample-sites.txt
    COMMENT "Making the sample site list")
add_custom_target(tavrin_sample_sites ALL DEPENDS ${TAVRIN_SAMPLE_SITES})
install(FILES ${TAVRIN_SAMPLE_SITES} DESTINATION share/tavrin/sites)
# The committed copy must be what the description gives.
add_test(NAME sample_site_list_is_current
    COMMAND ${CMAKE_COMMAND} -E compare_files ${TAVRIN_SAMPLE_SITES} ${CMAKE_SOURCE_DIR}/data/sites/sample.spl)

# The core tests read the shipped almanacs; their target is defined after this file.
function(tavrin_tests_need_almanacs)
    foreach(t tavrin_core_tests tavrin_cli_tests)
        if(TARGET ${t})
            add_dependencies(${t} tavrin_almanacs tavrin_sample_sites)
        endif()
    endforeach()
endfunction()
cmake_language(DEFER CALL tavrin_tests_need_almanacs)
