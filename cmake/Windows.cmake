# What the Windows build adds to the common one.

# GCC aligns Windows' stack to 16 bytes only, so a 256- or 512-bit vector it spills there with an
# aligned move faults at random on Windows (Linux and Wine never show it). The assembler writes
# every aligned vector move as an unaligned one, which costs nothing on aligned data;
# tests/windows/check_vector_moves.py proves it on the binaries.
add_compile_options(-Wa,-muse-unaligned-vector-move)
# Stack protectors as on Linux; MinGW keeps their runtime in libssp.
add_compile_options(-fstack-protector-strong)
add_link_options(-fstack-protector-strong)

# Windows has no Debian GoogleTest for MinGW: it is built here from Debian's own source of it.
macro(triebwerke_find_gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    if(NOT TARGET GTest::gtest)
        add_library(GTest::gtest ALIAS gtest)
        add_library(GTest::gtest_main ALIAS gtest_main)
        add_library(GTest::gmock ALIAS gmock)
    endif()
endmacro()

# The same optimisation as the Linux release build (-O2), so both run the same code paths.
string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
