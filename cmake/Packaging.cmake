# Installing qlnrec beside other desktop software and packaging it as a .deb.
#
# The program's desktop identity: the desktop entry, the AppStream metadata and the name the
# program gives the window system all carry this one id.
set(QLNREC_APP_ID "org.qlnrec.Qlnrec")
# The program's own read-only data (help, prompts) lies in <datadir>/qlnrec.
set(QLNREC_DATA_SUBDIR "${CMAKE_INSTALL_DATADIR}/qlnrec")

set(QLNREC_PACKAGING_DIR "${PROJECT_SOURCE_DIR}/packaging")

# Icons: PNGs in the usual hicolor sizes, drawn from the scalable icon at build time.
find_program(QLNREC_RSVG_CONVERT rsvg-convert)
if(NOT QLNREC_RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert was not found: it draws the program's PNG icons. "
                      "Install it (scripts/install-deps.sh, Debian package librsvg2-bin).")
endif()
set(QLNREC_ICON_SVG "${PROJECT_SOURCE_DIR}/app/resources/qlnrec.svg")
set(QLNREC_ICON_SIZES 16 22 24 32 48 64 128 256)
set(qlnrec_package_outputs "")
foreach(size ${QLNREC_ICON_SIZES})
  set(png "${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/qlnrec.png")
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps"
    COMMAND ${QLNREC_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${QLNREC_ICON_SVG}
    DEPENDS ${QLNREC_ICON_SVG}
    COMMENT "Drawing the ${size}x${size} icon"
    VERBATIM)
  list(APPEND qlnrec_package_outputs ${png})
  install(FILES ${png} DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
endforeach()
install(FILES ${QLNREC_ICON_SVG} DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")

# The manual page, compressed as Debian installs manual pages (-n: the same bytes every build).
set(QLNREC_MAN_PAGE "${CMAKE_BINARY_DIR}/man/qlnrec.1.gz")
add_custom_command(OUTPUT ${QLNREC_MAN_PAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/man"
  COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" qlnrec-man "${QLNREC_PACKAGING_DIR}/qlnrec.1" ${QLNREC_MAN_PAGE}
  DEPENDS "${QLNREC_PACKAGING_DIR}/qlnrec.1"
  COMMENT "Compressing the manual page"
  VERBATIM)
list(APPEND qlnrec_package_outputs ${QLNREC_MAN_PAGE})
install(FILES ${QLNREC_MAN_PAGE} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

add_custom_target(qlnrec_package_data ALL DEPENDS ${qlnrec_package_outputs})

install(FILES "${PROJECT_SOURCE_DIR}/app/resources/${QLNREC_APP_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${QLNREC_PACKAGING_DIR}/${QLNREC_APP_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

# The Debian package. Its files lie where the program was built to look for them, so the
# package's prefix is the build's install prefix (configure with -DCMAKE_INSTALL_PREFIX=/usr).
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "qlnrec")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "qlnrec developers")
set(CPACK_PACKAGE_CONTACT "qlnrec developers <maintainers@qlnrec.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "telephone call recorder and answering machine")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillon Recorder records telephone calls through a voice modem and answers them like an\n"
    "answering machine: greeting, message after the tone, caller ID, a block list for\n"
    "unwanted callers, a phone book and dialing. A simulated line lets a new user watch a\n"
    "whole call without hardware (qlnrec --demo).")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "comm")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The libraries the program links are found by dpkg-shlibdeps; so are the Qt platform and
# multimedia plugins, which come with those libraries' packages. The window icon is drawn by the
# SVG icon plugin, which the program loads but does not link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# Mailing a recording goes through xdg-email; spoken scenario lines need espeak-ng.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "espeak-ng")
include(CPack)
