# The manual pages quarnel.1 and quarnel-inspect.1: man/<page>.1.in with the version filled in,
# in the build folder's man/. On Windows they are installed beside the programs as text
# (<page>.txt, CR LF, rendered by the build machine's groff); elsewhere compressed into
# share/man/man1 (gzip -9n: the most compression and no time stamp, as Debian wants them).
set(QUARNEL_MANUAL_PAGES quarnel quarnel-inspect)
set(QUARNEL_MANUAL_DIR ${PROJECT_BINARY_DIR}/man)
foreach(page IN LISTS QUARNEL_MANUAL_PAGES)
  configure_file(${PROJECT_SOURCE_DIR}/man/${page}.1.in ${QUARNEL_MANUAL_DIR}/${page}.1 @ONLY)
endforeach()

find_program(GROFF_EXECUTABLE groff)
set(manual_files "")
if(WIN32)
  if(NOT GROFF_EXECUTABLE)
    message(WARNING "groff not found: the ZIP will not hold the manual pages as text")
  else()
    foreach(page IN LISTS QUARNEL_MANUAL_PAGES)
      set(text ${QUARNEL_MANUAL_DIR}/${page}.txt)
      add_custom_command(
        OUTPUT ${text}
        COMMAND ${CMAKE_COMMAND} -DGROFF=${GROFF_EXECUTABLE} -DPAGE=${QUARNEL_MANUAL_DIR}/${page}.1
                -DOUTPUT=${text} -P ${PROJECT_SOURCE_DIR}/cmake/ManualText.cmake
        DEPENDS ${QUARNEL_MANUAL_DIR}/${page}.1 ${PROJECT_SOURCE_DIR}/cmake/ManualText.cmake
        COMMENT "Rendering the manual page ${page}.1 as text" VERBATIM)
      list(APPEND manual_files ${text})
    endforeach()
    install(FILES ${manual_files} DESTINATION ${CMAKE_INSTALL_DOCDIR})
  endif()
else()
  find_program(GZIP_EXECUTABLE gzip REQUIRED)
  foreach(page IN LISTS QUARNEL_MANUAL_PAGES)
    add_custom_command(
      OUTPUT ${QUARNEL_MANUAL_DIR}/${page}.1.gz
      COMMAND ${GZIP_EXECUTABLE} -9nkf ${page}.1
      DEPENDS ${QUARNEL_MANUAL_DIR}/${page}.1
      WORKING_DIRECTORY ${QUARNEL_MANUAL_DIR}
      COMMENT "Compressing the manual page ${page}.1" VERBATIM)
    list(APPEND manual_files ${QUARNEL_MANUAL_DIR}/${page}.1.gz)
  endforeach()
  install(FILES ${manual_files} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
add_custom_target(manual_pages ALL DEPENDS ${manual_files})
