# Installation and the Debian package.
#
# The program looks for its templates and pictures in the directory of its executable, so
# everything it reads lies together in one program folder, <prefix>/lib/dalko. <prefix>/bin
# holds relative symbolic links to the two executables; the program resolves the link and
# still finds its folder. The menu entry and the icons go where the desktop looks for them.

set(DALKO_PROGRAM_DIR lib/dalko)

install(TARGETS dalko dalko-calc RUNTIME DESTINATION ${DALKO_PROGRAM_DIR})

set(dalko_asset_files)
foreach(asset IN LISTS DALKO_ASSETS)
    list(APPEND dalko_asset_files ${CMAKE_SOURCE_DIR}/${asset})
endforeach()
install(FILES ${dalko_asset_files} DESTINATION ${DALKO_PROGRAM_DIR})

# The links are made in the build tree once and installed as links (install keeps a link a
# link), so that they appear in the install manifest and in the package like any file.
set(dalko_link_dir ${CMAKE_BINARY_DIR}/packaging/bin)
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

# cpack -G DEB (or the "package" target) in the build directory makes dalko_<version>_<arch>.deb.
# The package has no maintainer scripts and no configuration files: removing it removes
# everything it brought.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dalko)
set(CPACK_PACKAGE_VERSION ${CMAKE_PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "dalko developers")
set(CPACK_PACKAGE_CONTACT "dalko developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cost calculator of energy-audit works")
set(CPACK_PACKAGE_DESCRIPTION [=[
Calculates the cost of energy-audit works, with a general calculator and one
for boiler houses, prints the cost estimate from an editable template and keeps
the inputs of a calculation in report files. The interface is in Russian.
dalko-calc recalculates a report file without a window.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "dalko developers")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the rest is what the program loads at run time:
# the Qt platform plugins and the fonts its windows and estimates are laid out in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-wine, qt6-qpa-plugins")

include(CPack)
