# Installing the reader like any desktop program (`cmake --install build --prefix P`), and its
# Debian package (`cpack -G DEB` in the build folder, or `make package`).
#
# Components: "pagora" is everything a user needs; "generic" adds what a plain install carries
# (the licence texts, uncompressed man pages); "debian" is only in the package (the
# machine-readable copyright file, the changelog, compressed man pages) and is left out of a
# plain install.
include(GNUInstallDirs)

set(PAGORA_PACKAGING_DIR "${PROJECT_SOURCE_DIR}/packaging")
set(PAGORA_GENERATED_DIR "${PROJECT_BINARY_DIR}/packaging")
set(PAGORA_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/pagora")
set(PAGORA_PROGRAMS pagora pagora-pack pagora-export)

install(TARGETS ${PAGORA_PROGRAMS} RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT pagora)

# The archives, made by the data build beside the programs (tools/CMakeLists.txt); the reader
# looks for them in ../share/pagora when they are not beside it.
set(pagora_installed_archives "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/support.dat")
foreach(digit RANGE 0 9)
  list(APPEND pagora_installed_archives "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/order${digit}.dat")
endforeach()
install(FILES ${pagora_installed_archives} DESTINATION "${CMAKE_INSTALL_DATADIR}/pagora"
        COMPONENT pagora)

# ---- desktop entry and AppStream metadata, named by the application id
configure_file("${PAGORA_PACKAGING_DIR}/pagora.desktop.in"
               "${PAGORA_GENERATED_DIR}/${PAGORA_APP_ID}.desktop" @ONLY)
configure_file("${PAGORA_PACKAGING_DIR}/pagora.metainfo.xml.in"
               "${PAGORA_GENERATED_DIR}/${PAGORA_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${PAGORA_GENERATED_DIR}/${PAGORA_APP_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications" COMPONENT pagora)
install(FILES "${PAGORA_GENERATED_DIR}/${PAGORA_APP_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo" COMPONENT pagora)

# ---- the icon: our SVG, and PNGs rendered from it for desktops that want bitmaps
set(PAGORA_ICON_SIZES 16 22 24 32 48 64 128 256 512)
install(FILES "${PAGORA_PACKAGING_DIR}/pagora.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
        RENAME "${PAGORA_APP_ID}.svg" COMPONENT pagora)
find_program(PAGORA_RSVG_CONVERT rsvg-convert)
set(pagora_docs_outputs "")
if(PAGORA_RSVG_CONVERT)
  foreach(size IN LISTS PAGORA_ICON_SIZES)
    set(folder "${PAGORA_GENERATED_DIR}/icons/${size}x${size}/apps")
    add_custom_command(
      OUTPUT "${folder}/${PAGORA_APP_ID}.png"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${folder}"
      COMMAND "${PAGORA_RSVG_CONVERT}" --width ${size} --height ${size}
              --output "${folder}/${PAGORA_APP_ID}.png" "${PAGORA_PACKAGING_DIR}/pagora.svg"
      DEPENDS "${PAGORA_PACKAGING_DIR}/pagora.svg"
      COMMENT "Rendering the ${size} px icon"
      VERBATIM)
    list(APPEND pagora_docs_outputs "${folder}/${PAGORA_APP_ID}.png")
    install(FILES "${folder}/${PAGORA_APP_ID}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
            COMPONENT pagora)
  endforeach()
else()
  message(WARNING "rsvg-convert (Debian: librsvg2-bin) was not found: only the scalable icon "
                  "will be installed, without its PNG sizes")
endif()

# ---- man pages, made from each program's --help by help2man
find_program(PAGORA_HELP2MAN help2man)
set(PAGORA_MAN_PAGES "")
if(PAGORA_HELP2MAN)
  set(pagora_man_name_pagora "read the Quran page by page, as in the printed Madani mushaf")
  set(pagora_man_name_pagora-pack "build, inspect and check the archives of Tamrit Pagora")
  set(pagora_man_name_pagora-export "render a page of Tamrit Pagora as a PNG image or HTML")
  foreach(program IN LISTS PAGORA_PROGRAMS)
    set(page "${PAGORA_GENERATED_DIR}/man/${program}.1")
    add_custom_command(
      OUTPUT "${page}"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${PAGORA_GENERATED_DIR}/man"
      COMMAND "${PAGORA_HELP2MAN}" --no-info --version-string=${PROJECT_VERSION}
              "--name=${pagora_man_name_${program}}"
              "--include=${PAGORA_PACKAGING_DIR}/see-also.h2m" "--output=${page}"
              "$<TARGET_FILE:${program}>"
      COMMAND "${CMAKE_COMMAND}" -DACTION=gzip "-DINPUT=${page}" "-DOUTPUT=${page}.gz"
              -P "${PAGORA_PACKAGING_DIR}/MakeDocs.cmake"
      DEPENDS ${program} "${PAGORA_PACKAGING_DIR}/see-also.h2m"
              "${PAGORA_PACKAGING_DIR}/MakeDocs.cmake"
      BYPRODUCTS "${page}.gz"
      COMMENT "Writing the man page of ${program}"
      VERBATIM)
    list(APPEND PAGORA_MAN_PAGES "${page}")
    list(APPEND pagora_docs_outputs "${page}")
    install(FILES "${page}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT generic)
    install(FILES "${page}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT debian
            EXCLUDE_FROM_ALL)
  endforeach()
else()
  message(WARNING "help2man was not found: the man pages will not be made or installed")
endif()

# ---- licences, credits, and the package's copyright file and changelog
set(pagora_archive_credits "${PAGORA_GENERATED_DIR}/archive/credits.txt")
add_custom_command(
  OUTPUT "${pagora_archive_credits}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${PAGORA_GENERATED_DIR}/archive"
  COMMAND pagora-pack extract "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/support.dat" credits.txt
          --to "${PAGORA_GENERATED_DIR}/archive"
  DEPENDS pagora-pack pagora_archives "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/support.dat"
  VERBATIM)
add_custom_command(
  OUTPUT "${PAGORA_GENERATED_DIR}/credits.txt"
  COMMAND "${CMAKE_COMMAND}" -DACTION=credits "-DINPUT=${pagora_archive_credits}"
          "-DOUTPUT=${PAGORA_GENERATED_DIR}/credits.txt" "-DVERSION=${PROJECT_VERSION}"
          -P "${PAGORA_PACKAGING_DIR}/MakeDocs.cmake"
  DEPENDS "${pagora_archive_credits}" "${PAGORA_PACKAGING_DIR}/MakeDocs.cmake"
  COMMENT "Writing credits.txt"
  VERBATIM)
add_custom_command(
  OUTPUT "${PAGORA_GENERATED_DIR}/copyright"
  COMMAND "${CMAKE_COMMAND}" -DACTION=copyright "-DTEMPLATE=${PAGORA_PACKAGING_DIR}/copyright.in"
          "-DOUTPUT=${PAGORA_GENERATED_DIR}/copyright" "-DNODE_MODULES=${PAGORA_NODE_MODULES}"
          "-DPAGORA_MAINTAINER=${PAGORA_MAINTAINER}" "-DPAGORA_WEB_PAGE=${PAGORA_WEB_PAGE}"
          "-DPAGORA_RELEASE_DATE=${PAGORA_RELEASE_DATE}"
          -P "${PAGORA_PACKAGING_DIR}/MakeDocs.cmake"
  DEPENDS "${PAGORA_PACKAGING_DIR}/copyright.in" "${PAGORA_PACKAGING_DIR}/MakeDocs.cmake"
          "${PROJECT_SOURCE_DIR}/package-lock.json"
  COMMENT "Writing the package's copyright file"
  VERBATIM)
# The changelog's trailer carries the release date in the form of RFC 5322.
execute_process(COMMAND "${CMAKE_COMMAND}" -E env LC_ALL=C date -u -R -d "${PAGORA_RELEASE_DATE}"
                OUTPUT_VARIABLE PAGORA_RELEASE_DATE_RFC OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE pagora_date_failed)
if(pagora_date_failed)
  message(FATAL_ERROR "date could not read the release date \"${PAGORA_RELEASE_DATE}\"")
endif()
configure_file("${PAGORA_PACKAGING_DIR}/changelog.in" "${PAGORA_GENERATED_DIR}/changelog" @ONLY)
add_custom_command(
  OUTPUT "${PAGORA_GENERATED_DIR}/changelog.gz"
  COMMAND "${CMAKE_COMMAND}" -DACTION=gzip "-DINPUT=${PAGORA_GENERATED_DIR}/changelog"
          "-DOUTPUT=${PAGORA_GENERATED_DIR}/changelog.gz" -P "${PAGORA_PACKAGING_DIR}/MakeDocs.cmake"
  DEPENDS "${PAGORA_GENERATED_DIR}/changelog" "${PAGORA_PACKAGING_DIR}/MakeDocs.cmake"
  VERBATIM)
list(APPEND pagora_docs_outputs "${PAGORA_GENERATED_DIR}/credits.txt"
     "${PAGORA_GENERATED_DIR}/copyright" "${PAGORA_GENERATED_DIR}/changelog.gz")
add_custom_target(pagora_install_files ALL DEPENDS ${pagora_docs_outputs})

install(FILES "${PAGORA_GENERATED_DIR}/credits.txt" DESTINATION "${PAGORA_DOC_DIR}"
        COMPONENT pagora)
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION "${PAGORA_DOC_DIR}" COMPONENT generic)
install(FILES "${PAGORA_NODE_MODULES}/quran-json/LICENSE.txt" DESTINATION "${PAGORA_DOC_DIR}"
        RENAME "LICENSE.archives-CC-BY-SA-4.0" COMPONENT generic)
install(FILES "${PAGORA_NODE_MODULES}/quran-meta/LICENSE" DESTINATION "${PAGORA_DOC_DIR}"
        RENAME "LICENSE.archives-MIT" COMPONENT generic)
install(FILES "${PAGORA_GENERATED_DIR}/copyright" "${PAGORA_GENERATED_DIR}/changelog.gz"
        DESTINATION "${PAGORA_DOC_DIR}" COMPONENT debian EXCLUDE_FROM_ALL)

# ---- the Debian package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pagora)
set(CPACK_PACKAGE_VENDOR "Tamrit")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${PAGORA_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL pagora debian)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_NAME pagora)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PAGORA_WEB_PAGE}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PAGORA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries' dependencies do not tell: the font the pages are shown in, and Qt's
# platform plugins (X11, Wayland and the offscreen one pagora-export uses).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-hosny-amiri, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quran reader laid out page by page like the printed mushaf")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tamrit Pagora shows the Quran as the 604 pages of the printed Madani mushaf,
one page at a time or two facing pages with the odd page on the right. Pages
are turned with buttons or the keys Z and X, or chosen by number, sura or
juz; the text size is adjustable. Clicking a verse's number sets a bookmark
that is kept between sessions; clicking a verse's text puts its reference,
such as 2:255, on the clipboard for the recitation program Tilora.
.
The package also holds pagora-export, which renders pages as PNG images or
HTML without a display, and pagora-pack, which builds and checks the page
archives. The Uthmani text comes from quran-json (CC BY-SA 4.0) and the page
layout from quran-meta (MIT); pages are shown in the Amiri Quran font.")
include(CPack)
