# What a Linux user expects of an installed program: man pages, shell completion, the site list's
# MIME type, AppStream metadata; and the Debian package made from the install (cpack, or
# ./build.sh package).
include(GNUInstallDirs)

set(TAVRIN_MAINTAINER "Tavrin developers <developers@tavrin.invalid>" CACHE STRING
    "Maintainer of the Debian package: name <address>")
set(TAVRIN_APPSTREAM_ID "org.tavrin.Tavrin" CACHE STRING "Reverse-DNS id of the AppStream component")
set(TAVRIN_DEBIAN_VERSION ${PROJECT_VERSION}-1)
set(TAVRIN_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
set(TAVRIN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tavrin)
set(TAVRIN_MAN_DIR ${CMAKE_INSTALL_MANDIR}/man1)
find_program(TAVRIN_GZIP gzip REQUIRED)

# tavrin_gzipped(INPUT): INPUT.gz, compressed as Debian wants it (no name or time in the header, so
# that rebuilds give the same bytes).
function(tavrin_gzipped input)
    add_custom_command(OUTPUT ${input}.gz
        COMMAND ${TAVRIN_GZIP} -9nkf ${input}
        DEPENDS ${input})
endfunction()

# --- man pages: tavrin-cli's from its --help (help2man), the others written by hand ------------
set(TAVRIN_MAN_PAGES)
foreach(program tavrin tavrin-cli-graphs)
    if(TARGET ${program})
        configure_file(resources/man/${program}.1.in ${TAVRIN_PACKAGE_DIR}/man/${program}.1 @ONLY)
        tavrin_gzipped(${TAVRIN_PACKAGE_DIR}/man/${program}.1)
        list(APPEND TAVRIN_MAN_PAGES ${TAVRIN_PACKAGE_DIR}/man/${program}.1.gz)
    endif()
endforeach()
find_program(TAVRIN_HELP2MAN help2man)
if(TARGET tavrin-cli AND TAVRIN_HELP2MAN)
    set(page ${TAVRIN_PACKAGE_DIR}/man/tavrin-cli.1)
    # An empty program home, so that no language file of the user's changes the page.
    add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TAVRIN_PACKAGE_DIR}/help-home
        COMMAND ${CMAKE_COMMAND} -E env TAVRIN_HOME=${TAVRIN_PACKAGE_DIR}/help-home
                ${TAVRIN_HELP2MAN} --no-info --section=1 --source=Tavrin\ ${PROJECT_VERSION}
                --name=plan\ GNSS\ observations\ from\ the\ shell
                --include=${CMAKE_SOURCE_DIR}/resources/man/tavrin-cli.h2m
                --output=${page} $<TARGET_FILE:tavrin-cli>
        DEPENDS tavrin-cli ${CMAKE_SOURCE_DIR}/resources/man/tavrin-cli.h2m
        COMMENT "Making the man page of tavrin-cli")
    tavrin_gzipped(${page})
    list(APPEND TAVRIN_MAN_PAGES ${page}.gz)
elseif(TARGET tavrin-cli)
    message(STATUS "help2man not found: no man page of tavrin-cli (Debian package help2man)")
endif()
add_custom_target(tavrin_man ALL DEPENDS ${TAVRIN_MAN_PAGES})
install(FILES ${TAVRIN_MAN_PAGES} DESTINATION ${TAVRIN_MAN_DIR})

# --- shell completion ---------------------------------------------------------------------------
foreach(program tavrin tavrin-cli)
    if(TARGET ${program})
        install(FILES resources/completion/${program}.bash RENAME ${program}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
        install(FILES resources/completion/_${program}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
    endif()
endforeach()

if(TARGET tavrin-cli)
    add_test(NAME bash_completion_offers_commands_options_and_sites
        COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/bash_completion.sh
                ${CMAKE_SOURCE_DIR}/resources/completion/tavrin-cli.bash $<TARGET_FILE:tavrin-cli>
                ${CMAKE_SOURCE_DIR}/data/sites/sample.spl)
endif()

# --- the desktop program's MIME type and AppStream metadata ---------------------------------------
if(TARGET tavrin)
    install(FILES resources/tavrin-mime.xml RENAME tavrin.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
    configure_file(resources/tavrin.metainfo.xml.in
        ${TAVRIN_PACKAGE_DIR}/${TAVRIN_APPSTREAM_ID}.metainfo.xml @ONLY)
    install(FILES ${TAVRIN_PACKAGE_DIR}/${TAVRIN_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# --- copyright and changelog, where Debian looks for them ------------------------------------------
configure_file(resources/debian/copyright.in ${TAVRIN_PACKAGE_DIR}/copyright @ONLY)
configure_file(resources/debian/changelog.in ${TAVRIN_PACKAGE_DIR}/changelog.Debian @ONLY)
tavrin_gzipped(${TAVRIN_PACKAGE_DIR}/changelog.Debian)
add_custom_target(tavrin_package_docs ALL DEPENDS ${TAVRIN_PACKAGE_DIR}/changelog.Debian.gz)
install(FILES ${TAVRIN_PACKAGE_DIR}/copyright ${TAVRIN_PACKAGE_DIR}/changelog.Debian.gz
    DESTINATION ${TAVRIN_DOC_DIR})

# Everything the install takes, without the tests and benchmarks of the default target: the package
# tree is configured with CMAKE_SKIP_INSTALL_ALL_DEPENDENCY and builds this.
add_custom_target(tavrin_installable)
foreach(t tavrin tavrin-cli tavrin-cli-graphs tavrin_almanacs tavrin_sample_sites tavrin_man tavrin_package_docs)
    if(TARGET ${t})
        add_dependencies(tavrin_installable ${t})
    endif()
endforeach()

# --- the Debian package -----------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrin)
set(CPACK_PACKAGE_VENDOR "The Tavrin developers")
set(CPACK_PACKAGE_CONTACT ${TAVRIN_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TAVRIN_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries linked come from dpkg-shlibdeps (Qt's platform and SVG plugins are in the packages
# of its libraries); the time zones of --tz and the certificates of the downloads are read at run
# time, where it cannot see them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "tzdata")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ca-certificates")
# Lines of at most 80 characters, as Debian wants them.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "GNSS observation planner
Tavrin plans GPS and GLONASS observations from almanacs, and Galileo, BeiDou,
QZSS and NavIC beside them from RINEX navigation files. For a site, a date and
a local time interval it shows when each satellite is above the cut-off angle
and not hidden by the horizon obstructions of the site, where it runs across
the sky, and how good the geometry is (PDOP, GDOP, HDOP, VDOP, TDOP).

This package holds the desktop program tavrin, the command-line planner
tavrin-cli (text, CSV and JSON output, observation windows over days and
networks of sites, terrain horizons from elevation models), and the bundled
almanacs and sample site list.")
include(CPack)
