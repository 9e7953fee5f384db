# Installation, by cmake --install and by the Debian package (debian/rules).
#
# The program finds its pictures in the directory of its executable, so they lie together with
# it in one program folder, <prefix>/lib/dalko; <prefix>/bin holds relative symbolic links to the
# two executables (the program resolves the link and still finds its folder). The estimate
# templates are configuration a firm edits, so they go to /etc/dalko, whatever the prefix: there
# the package makes them conffiles and dpkg keeps a firm's edits on upgrade. Menu entry, icons,
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

# The manuals, English and Russian, and the AppStream data name the version of project().
set(dalko_man_dir ${dalko_packaging_dir}/man)
foreach(page dalko.1 dalko-calc.1)
    configure_file(${CMAKE_SOURCE_DIR}/packaging/man/${page}.in ${dalko_man_dir}/man1/${page} @ONLY)
    configure_file(${CMAKE_SOURCE_DIR}/packaging/man/ru/${page}.in ${dalko_man_dir}/ru/man1/${page}
                   @ONLY)
endforeach()
install(DIRECTORY ${dalko_man_dir}/ DESTINATION share/man)
configure_file(${CMAKE_SOURCE_DIR}/packaging/org.example.dalko.metainfo.xml.in
               ${dalko_packaging_dir}/org.example.dalko.metainfo.xml @ONLY)
install(FILES ${dalko_packaging_dir}/org.example.dalko.metainfo.xml DESTINATION share/metainfo)
