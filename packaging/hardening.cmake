# The executables are built with the hardening flags of Debian's own packages, as dpkg-buildflags
# gives them with every hardening feature on (stack protector, FORTIFY, RELRO, BIND_NOW; the
# compiler makes position-independent executables by default). The optimisation and debug levels
# stay those of the build type, and paths in the debug information stay real for the debugger.
#
# Included before any folder of targets: each folder takes the flags the top directory has when
# the folder is added, so every program, library, test and benchmark gets them. Unoptimised
# builds (FORTIFY needs optimisation), the sanitizer and fuzzing builds and compilers other than
# GCC keep their flags.

if(DALKO_SANITIZE OR DALKO_FUZZ OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR
   NOT CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    return()
endif()

find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
    message(STATUS "dpkg-buildflags not found (package dpkg-dev): no hardening flags")
    return()
endif()

function(dalko_buildflags out area)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                ${DPKG_BUILDFLAGS} --get ${area}
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-(O|g|ffile-prefix-map=|fdebug-prefix-map=)")
    list(JOIN flags " " flags)
    set(${out} "${flags}" PARENT_SCOPE)
endfunction()

dalko_buildflags(dalko_cppflags CPPFLAGS)
dalko_buildflags(dalko_cxxflags CXXFLAGS)
dalko_buildflags(dalko_ldflags LDFLAGS)
string(APPEND CMAKE_CXX_FLAGS " ${dalko_cppflags} ${dalko_cxxflags}")
string(APPEND CMAKE_EXE_LINKER_FLAGS " ${dalko_ldflags}")
