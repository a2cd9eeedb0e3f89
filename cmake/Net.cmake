# Downloads: libcurl for HTTP and HTTPS, zlib for .gz files. The command line's fetch uses them.
find_package(CURL REQUIRED)
find_package(ZLIB REQUIRED)
file(GLOB TAVRIN_NET_SOURCES CONFIGURE_DEPENDS src/net/*.cpp)
tavrin_layer(tavrin_net SOURCES ${TAVRIN_NET_SOURCES} USES tavrin_core CURL::libcurl ZLIB::ZLIB)
# The sources of published orbits, beside the bundled almanacs and installed with them.
configure_file(${CMAKE_SOURCE_DIR}/data/orbit-sources.txt ${TAVRIN_STAGE_DIR}/orbit-sources.txt COPYONLY)
install(FILES ${CMAKE_SOURCE_DIR}/data/orbit-sources.txt DESTINATION share/tavrin)
