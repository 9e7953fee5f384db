# dalko for Windows: beside the programs in the build tree go the Qt libraries and plugins they
# load and MinGW's runtime, so that build-windows/bin runs as it is and the installer
# (dalko.nsi) takes that folder whole.

get_filename_component(dalko_qt_prefix ${Qt6_DIR}/../../.. ABSOLUTE)
set(dalko_runtime_dir ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})

set(dalko_qt_dlls Qt6Core Qt6Gui Qt6Widgets Qt6PrintSupport Qt6Sql)
set(dalko_qt_plugins
    platforms/qwindows sqldrivers/qsqlite imageformats/qjpeg imageformats/qgif
    imageformats/qico styles/qwindowsvistastyle)

set(dalko_runtime_files)
foreach(dll IN LISTS dalko_qt_dlls)
    list(APPEND dalko_runtime_files ${dalko_qt_prefix}/bin/${dll}.dll)
endforeach()
find_file(dalko_libstdcxx libstdc++-6.dll PATHS /usr/lib/gcc/x86_64-w64-mingw32/12-posix
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_file(dalko_libgcc libgcc_s_seh-1.dll PATHS /usr/lib/gcc/x86_64-w64-mingw32/12-posix
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_file(dalko_winpthread libwinpthread-1.dll PATHS /usr/x86_64-w64-mingw32/lib
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
list(APPEND dalko_runtime_files ${dalko_libstdcxx} ${dalko_libgcc} ${dalko_winpthread})
file(COPY ${dalko_runtime_files} DESTINATION ${dalko_runtime_dir})
foreach(plugin IN LISTS dalko_qt_plugins)
    get_filename_component(folder ${plugin} DIRECTORY)
    file(COPY ${dalko_qt_prefix}/plugins/${plugin}.dll DESTINATION ${dalko_runtime_dir}/${folder})
endforeach()

# The installer's script, with the one version of the project.
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/dalko.nsi.in
    ${CMAKE_BINARY_DIR}/dalko.nsi @ONLY)
