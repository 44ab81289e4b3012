# Cross-compiles for 64-bit Windows with Debian's MinGW-w64. The -posix compilers, because
# std::thread needs the POSIX thread model; libraries and headers are looked up in MinGW's root
# and in Qt for Windows (TRIEBWERKE_WINDOWS_QT, filled by scripts/build-windows-qt.sh) only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_triplet x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
if(DEFINED ENV{TRIEBWERKE_WINDOWS_QT})
    list(APPEND CMAKE_FIND_ROOT_PATH "$ENV{TRIEBWERKE_WINDOWS_QT}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
