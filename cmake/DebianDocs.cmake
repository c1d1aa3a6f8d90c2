# The changelog and the copyright file that Debian wants in usr/share/doc/quarnel (installed by
# cmake --install and in the .tar.gz too): changelog.gz, CHANGELOG.md as a Debian changelog
# (cmake/DebianChangelog.cmake) compressed with gzip -9n; copyright, in Debian's
# machine-readable format (cmake/copyright.in), with the licence and copyright line of LICENSE
# and, when quarnel-inspect is built with stb_image_write, stb's (cmake/copyright-stb).
set(debian_dir ${PROJECT_BINARY_DIR}/debian)
find_program(GZIP_EXECUTABLE gzip REQUIRED)

file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
if(NOT license MATCHES "Copyright \\(c\\) ([^\n]+)\n+(.+)")
  message(FATAL_ERROR "LICENSE: no line \"Copyright (c) YEAR HOLDER\" before the licence")
endif()
set(QUARNEL_COPYRIGHT ${CMAKE_MATCH_1})
string(STRIP "${CMAKE_MATCH_2}" text) # its paragraphs as the lines " text" and " ."
string(REGEX REPLACE "\n\n+" "\n.\n" text "${text}")
string(REPLACE "\n" "\n " EXPAT_TEXT " ${text}")
file(READ ${PROJECT_SOURCE_DIR}/cmake/copyright.in template)
string(CONFIGURE "${template}" copyright @ONLY)
if(TARGET stb::stb)
  file(READ ${PROJECT_SOURCE_DIR}/cmake/copyright-stb stb)
  string(APPEND copyright "${stb}")
endif()
file(CONFIGURE OUTPUT ${debian_dir}/copyright CONTENT "${copyright}" @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE
             ${PROJECT_SOURCE_DIR}/cmake/copyright.in ${PROJECT_SOURCE_DIR}/cmake/copyright-stb)

add_custom_command(
  OUTPUT ${debian_dir}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/CHANGELOG.md -DOUTPUT=changelog
          -DPACKAGE=quarnel -DMAINTAINER=${QUARNEL_MAINTAINER}
          -P ${PROJECT_SOURCE_DIR}/cmake/DebianChangelog.cmake
  COMMAND ${GZIP_EXECUTABLE} -9nf changelog
  DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/cmake/DebianChangelog.cmake
  WORKING_DIRECTORY ${debian_dir}
  COMMENT "Making the Debian changelog from CHANGELOG.md" VERBATIM)
add_custom_target(debian_docs ALL DEPENDS ${debian_dir}/changelog.gz)
install(FILES ${debian_dir}/changelog.gz ${debian_dir}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
