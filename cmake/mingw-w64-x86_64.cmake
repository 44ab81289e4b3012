# Cross-compiles for 64-bit Windows with Debian's MinGW-w64, against the Qt for Windows that
# scripts/build-windows-qt.sh builds into its cache (or TRIEBWERKE_WINDOWS_QT). The -posix
# compilers, because std::thread needs the POSIX thread model. Build-time tools and the tests run
# under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_triplet x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Qt's own build (scripts/build-windows-qt.sh) says so; the project's build finds the cached Qt.
if(NOT TRIEBWERKE_BUILDING_QT)
    set(triebwerke_scripts ${CMAKE_CURRENT_LIST_DIR}/../scripts)
    if(DEFINED ENV{TRIEBWERKE_WINDOWS_QT})
        set(windows_qt "$ENV{TRIEBWERKE_WINDOWS_QT}")
    else()
        execute_process(COMMAND ${triebwerke_scripts}/build-windows-qt.sh --print-prefix
                        OUTPUT_VARIABLE windows_qt OUTPUT_STRIP_TRAILING_WHITESPACE)
    endif()
    if(NOT EXISTS "${windows_qt}/.complete")
        message(FATAL_ERROR "Qt for Windows is not in its cache (${windows_qt}). Build it once "
                            "with scripts/build-windows-qt.sh (about 45 minutes on two cores).")
    endif()
    list(APPEND CMAKE_FIND_ROOT_PATH "${windows_qt}")
    list(APPEND CMAKE_PREFIX_PATH "${windows_qt}")
    set(QT_HOST_PATH /usr)
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${triebwerke_scripts}/wine-run.sh)
    set(ENV{TRIEBWERKE_WINDOWS_QT} "${windows_qt}")
endif()
