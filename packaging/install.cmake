# Installation and the Debian package.
#
# The program finds its pictures in the directory of its executable, so they lie together with
# it in one program folder, <prefix>/lib/dalko; <prefix>/bin holds relative symbolic links to the
# two executables (the program resolves the link and still finds its folder). The estimate
# templates are configuration a firm edits, so they go to /etc/dalko, whatever the prefix: the
# package marks them as conffiles and dpkg keeps a firm's edits on upgrade. Menu entry, icons,
# file type, software-centre data and manual pages go where the desktop and man look for them.

set(DALKO_PROGRAM_DIR lib/dalko)
set(DALKO_CONFIG_DIR /etc/dalko)
set(dalko_packaging_dir ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${dalko_packaging_dir})

install(TARGETS dalko dalko-calc RUNTIME DESTINATION ${DALKO_PROGRAM_DIR})

set(dalko_program_files)
set(dalko_templates)
foreach(asset IN LISTS DALKO_ASSETS)
    if(asset MATCHES "\\.rv$")
        list(APPEND dalko_templates ${CMAKE_SOURCE_DIR}/${asset})
    else()
        list(APPEND dalko_program_files ${CMAKE_SOURCE_DIR}/${asset})
    endif()
endforeach()
install(FILES ${dalko_program_files} DESTINATION ${DALKO_PROGRAM_DIR})
install(FILES ${dalko_templates} DESTINATION ${DALKO_CONFIG_DIR})

# The links are made in the build tree once and installed as links (install keeps a link a
# link), so that they appear in the install manifest and in the package like any file.
set(dalko_link_dir ${dalko_packaging_dir}/bin)
file(MAKE_DIRECTORY ${dalko_link_dir})
foreach(program dalko dalko-calc)
    file(CREATE_LINK ../${DALKO_PROGRAM_DIR}/${program} ${dalko_link_dir}/${program} SYMBOLIC)
    install(FILES ${dalko_link_dir}/${program} DESTINATION bin)
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/packaging/dalko.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/assets/dalko-48.png
        DESTINATION share/icons/hicolor/48x48/apps RENAME dalko.png)
install(FILES ${CMAKE_SOURCE_DIR}/assets/dalko.png
        DESTINATION share/icons/hicolor/256x256/apps)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/dalko.xml DESTINATION share/mime/packages)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/org.example.dalko.metainfo.xml
        DESTINATION share/metainfo)

# Manual pages and the Debian changelog are installed compressed as Debian wants them: at the
# highest level, without the name and time stamp that would make each build differ.
function(dalko_gzip source destination)
    get_filename_component(name ${source} NAME)
    set(compressed ${dalko_packaging_dir}/${name}.gz)
    execute_process(COMMAND gzip -9nc INPUT_FILE ${source} OUTPUT_FILE ${compressed}
                    COMMAND_ERROR_IS_FATAL ANY)
    set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    install(FILES ${compressed} DESTINATION ${destination} ${ARGN})
endfunction()

dalko_gzip(${CMAKE_SOURCE_DIR}/packaging/dalko.1 share/man/man1)
dalko_gzip(${CMAKE_SOURCE_DIR}/packaging/dalko-calc.1 share/man/man1)
dalko_gzip(${CMAKE_SOURCE_DIR}/packaging/changelog share/doc/dalko RENAME changelog.Debian.gz)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION share/doc/dalko)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides
        DESTINATION share/lintian/overrides RENAME dalko)

# cpack -G DEB (or the "package" target) in the build directory makes
# dalko_<version>-<release>_<arch>.deb. It has no maintainer scripts; the templates are its only
# configuration files.
set(dalko_conffiles ${dalko_packaging_dir}/conffiles)
list(TRANSFORM dalko_templates REPLACE ".*/" "${DALKO_CONFIG_DIR}/" OUTPUT_VARIABLE dalko_conffile_list)
list(JOIN dalko_conffile_list "\n" dalko_conffile_text)
file(WRITE ${dalko_conffiles} "${dalko_conffile_text}\n")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dalko)
set(CPACK_PACKAGE_VERSION ${CMAKE_PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "dalko developers")
set(CPACK_PACKAGE_CONTACT "dalko developers <dalko@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cost calculator of energy-audit works")
set(CPACK_PACKAGE_DESCRIPTION [=[
Calculates the cost of energy-audit works, with a general calculator and one
for boiler houses, prints the cost estimate from an editable template and keeps
the inputs of a calculation in report files. The interface is in Russian.
dalko-calc recalculates a report file without a window.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The Debian revision: packaging/changelog's latest entry names the same version.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the rest is what the program loads at run time:
# the Qt platform plugins, Qt's own Russian texts and the fonts its windows and estimates are
# laid out in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-liberation, fonts-wine, qt6-qpa-plugins, qt6-translations-l10n, libqt6sql6-sqlite")
# The register of estimates on a firm's PostgreSQL server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${dalko_conffiles})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
