# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (posix threads, for std::thread and
# std::mutex). Used for Qt itself (scripts/windows-qt.sh) and for dalko (scripts/windows.sh);
# DALKO_WINDOWS_PREFIX names the folder the cross-built Qt and SQLite are installed in.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${triplet})
if(DEFINED ENV{DALKO_WINDOWS_PREFIX})
    list(APPEND CMAKE_FIND_ROOT_PATH $ENV{DALKO_WINDOWS_PREFIX})
endif()
# Programs run on the build machine; libraries and headers are the target's only.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
