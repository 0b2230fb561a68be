# The Debian package, written by CPack from the ordinary build: bash scripts/package.sh.
# What it installs: both programs, the menu entry, the AppStream metainfo, the icons, the manual
# pages, the copyright file, the changelogs, the scenario format, a few example scripts and the
# lessons with their guide.
include(GNUInstallDirs)

# Who answers for the package; the address is a placeholder until the project has its own.
set(KV410_MAINTAINER "The KV410 simulator developers <kv410@example.org>"
    CACHE STRING "Maintainer of the Debian package (Name <address>)")

set(KV410_PACKAGING_SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(KV410_PACKAGING_BINARY ${CMAKE_CURRENT_BINARY_DIR}/packaging)
# The date of this build (or of SOURCE_DATE_EPOCH, for a reproducible package), for the Debian
# changelog.
string(TIMESTAMP KV410_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

# The metainfo's releases: every version of CHANGELOG.md with its date ("## 1.0 (2026-12-08)"),
# newest first as there; a version not released yet has no date and is not listed.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md)
file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md KV410_VERSION_HEADINGS REGEX "^## ")
set(KV410_METAINFO_RELEASES "")
foreach(heading ${KV410_VERSION_HEADINGS})
    if(heading MATCHES "^## ([0-9][0-9.]*) \\(([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])\\)$")
        string(APPEND KV410_METAINFO_RELEASES
               "    <release version=\"${CMAKE_MATCH_1}\" date=\"${CMAKE_MATCH_2}\"/>\n")
    endif()
endforeach()
string(STRIP "${KV410_METAINFO_RELEASES}" KV410_METAINFO_RELEASES)
# The web address and the screenshot on it, only when the project has one.
set(KV410_METAINFO_LINKS "")
if(KV410_HOMEPAGE_URL)
    string(CONCAT KV410_METAINFO_LINKS
           "<url type=\"homepage\">${KV410_HOMEPAGE_URL}</url>\n"
           "  <screenshots>\n"
           "    <screenshot type=\"default\">\n"
           "      <caption>The unit switched on, with its main display</caption>\n"
           "      <image>${KV410_HOMEPAGE_URL}docs/screenshot-on.png</image>\n"
           "    </screenshot>\n"
           "  </screenshots>")
endif()

configure_file(${KV410_PACKAGING_SOURCE}/kv410.metainfo.xml.in
               ${KV410_PACKAGING_BINARY}/kv410.metainfo.xml @ONLY)

# The copyright file in the machine-readable format, with the license text of LICENSE.
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE KV410_LICENSE)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" KV410_COPYRIGHT_LINE "${KV410_LICENSE}")
set(KV410_COPYRIGHT "${CMAKE_MATCH_1}")
string(FIND "${KV410_LICENSE}" "Permission is hereby granted" KV410_LICENSE_START)
string(SUBSTRING "${KV410_LICENSE}" ${KV410_LICENSE_START} -1 KV410_LICENSE_TEXT)
string(STRIP "${KV410_LICENSE_TEXT}" KV410_LICENSE_TEXT)
string(REPLACE "\n\n" "\n.\n" KV410_LICENSE_TEXT "${KV410_LICENSE_TEXT}")
string(REPLACE "\n" "\n " KV410_LICENSE_TEXT "${KV410_LICENSE_TEXT}")
set(KV410_COPYRIGHT_SOURCE "")
if(KV410_HOMEPAGE_URL)
    set(KV410_COPYRIGHT_SOURCE "Source: ${KV410_HOMEPAGE_URL}\n")
endif()
file(WRITE ${KV410_PACKAGING_BINARY}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: kv410
${KV410_COPYRIGHT_SOURCE}
Files: *
Copyright: ${KV410_COPYRIGHT}
License: MIT
 ${KV410_LICENSE_TEXT}
")

# The manual pages and the package's changelog, compressed as Debian wants them.
set(KV410_COMPRESSED)
set(KV410_MANUAL_PAGES kv410.1 kv410-script.1)
if(TARGET kv410-flash)
    list(APPEND KV410_MANUAL_PAGES kv410-flash.1)
endif()
foreach(page ${KV410_MANUAL_PAGES})
    configure_file(${KV410_PACKAGING_SOURCE}/man/${page}.in ${KV410_PACKAGING_BINARY}/${page}
                   @ONLY)
    list(APPEND KV410_COMPRESSED ${page})
endforeach()
file(WRITE ${KV410_PACKAGING_BINARY}/changelog
"kv410 (${PROJECT_VERSION}) unstable; urgency=medium

  * Version ${PROJECT_VERSION}; what changed is in /usr/share/doc/kv410/CHANGELOG.md.

 -- ${KV410_MAINTAINER}  ${KV410_CHANGELOG_DATE}
")
list(APPEND KV410_COMPRESSED changelog)
set(KV410_COMPRESSED_OUTPUTS)
foreach(name ${KV410_COMPRESSED})
    add_custom_command(
        OUTPUT ${KV410_PACKAGING_BINARY}/${name}.gz
        COMMAND sh -c "gzip -9n -c '${name}' > '${name}.gz'"
        WORKING_DIRECTORY ${KV410_PACKAGING_BINARY}
        DEPENDS ${KV410_PACKAGING_BINARY}/${name}
        VERBATIM)
    list(APPEND KV410_COMPRESSED_OUTPUTS ${KV410_PACKAGING_BINARY}/${name}.gz)
endforeach()
add_custom_target(kv410-package-files ALL DEPENDS ${KV410_COMPRESSED_OUTPUTS})

# The installed programs get the read-only relocations Debian's hardening asks for.
target_link_options(kv410 PRIVATE LINKER:-z,relro,-z,now)
target_link_options(kv410-script PRIVATE LINKER:-z,relro,-z,now)
install(TARGETS kv410 kv410-script RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET kv410-flash)
    target_link_options(kv410-flash PRIVATE LINKER:-z,relro,-z,now)
    install(TARGETS kv410-flash RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${KV410_PACKAGING_BINARY}/kv410-flash.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${KV410_PACKAGING_SOURCE}/kv410.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KV410_PACKAGING_BINARY}/kv410.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${KV410_PACKAGING_SOURCE}/icons/hicolor
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${KV410_PACKAGING_BINARY}/kv410.1.gz ${KV410_PACKAGING_BINARY}/kv410-script.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
set(KV410_DOC ${CMAKE_INSTALL_DATADIR}/doc/kv410)
install(FILES ${KV410_PACKAGING_BINARY}/copyright ${KV410_PACKAGING_BINARY}/changelog.gz
              ${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md
              ${CMAKE_CURRENT_SOURCE_DIR}/docs/scenario-format.md
              ${CMAKE_CURRENT_SOURCE_DIR}/docs/lessons.md
        DESTINATION ${KV410_DOC})
# Example scripts: whole flows, each passing on a fresh start.
foreach(example power-on-off alarm-gt1 menu-walk-level1 quick-ekstra-varmtvann persist-restart)
    install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/tests/scenarios/${example}.kvs
            DESTINATION ${KV410_DOC}/examples)
endforeach()
# The shipped lessons and drills, each with the trainee input that passes it.
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/lessons/ DESTINATION ${KV410_DOC}/lessons
        FILES_MATCHING PATTERN "*.kvs")

# Installing builds nothing: scripts/package.sh builds the two programs and the files above.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kv410)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The KV410 simulator developers")
set(CPACK_PACKAGE_CONTACT "${KV410_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "simulator of the KAVO 410 heat-pump controller")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "The KAVO 410 controls a brine-to-water heat pump. This simulator runs the\n"
    "controller's own logic behind a window that shows the unit's front: the\n"
    "four-line display with its menus, the LEDs, the knob, the buttons and the\n"
    "power switch, with side panels of sensor sliders, relay lamps and alarm\n"
    "inputs. The settings are kept in a file between sessions.\n"
    "\n"
    "kv410-script runs the same controller without a window from a scenario\n"
    "script, on a virtual clock, for demonstrations and automated checks.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(KV410_HOMEPAGE_URL)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KV410_HOMEPAGE_URL}")
endif()
# Libraries as the binaries need them, and the fonts of the front and the display.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
