# Fails when a program, DLL or plugin of an installed Windows folder imports a DLL that is neither
# beside the programs nor one of Windows' own. A missing DLL shows on Windows only as a box at
# start-up (or, for a plugin, as a platform Qt "could not load"); Wine would hide it, since its
# search path reaches the build machine's MinGW and Qt.
#
# Run from the install rules, or as
#   cmake -DTRIEBWERKE_LAYOUT=DIR -DTRIEBWERKE_OBJDUMP=x86_64-w64-mingw32-objdump
#         -DTRIEBWERKE_SYSTEM_DLLS=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows -P CheckDlls.cmake
cmake_minimum_required(VERSION 3.25)
foreach(variable TRIEBWERKE_LAYOUT TRIEBWERKE_OBJDUMP TRIEBWERKE_SYSTEM_DLLS)
    if(NOT ${variable})
        message(FATAL_ERROR "CheckDlls.cmake needs ${variable}")
    endif()
endforeach()

# Windows' own DLLs: those Wine implements, and the API sets that stand for them. Wine also
# carries Microsoft's C++ runtimes, which Windows does not: a program needing them would need
# their redistributable, so they count as missing.
file(GLOB system_files RELATIVE ${TRIEBWERKE_SYSTEM_DLLS} ${TRIEBWERKE_SYSTEM_DLLS}/*.dll)
set(system "")
foreach(name IN LISTS system_files)
    string(TOLOWER ${name} name)
    if(NOT name MATCHES "^(msvcp[0-9]|vcruntime|msvcr[0-9]|ucrtbased|concrt|vcomp)")
        list(APPEND system ${name})
    endif()
endforeach()

# The loader looks beside the program; names compare without case, as on Windows.
file(GLOB beside RELATIVE ${TRIEBWERKE_LAYOUT} ${TRIEBWERKE_LAYOUT}/*.dll)
string(TOLOWER "${beside}" beside)

file(GLOB_RECURSE binaries RELATIVE ${TRIEBWERKE_LAYOUT}
     ${TRIEBWERKE_LAYOUT}/*.exe ${TRIEBWERKE_LAYOUT}/*.dll)
if(NOT binaries)
    message(FATAL_ERROR "No program or DLL in ${TRIEBWERKE_LAYOUT}")
endif()
set(missing "")
foreach(binary IN LISTS binaries)
    execute_process(COMMAND ${TRIEBWERKE_OBJDUMP} -p ${TRIEBWERKE_LAYOUT}/${binary}
        OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "objdump cannot read ${binary}")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${headers}")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^DLL Name: " "" name "${line}")
        string(STRIP "${name}" name)
        string(TOLOWER "${name}" key)
        if(key IN_LIST beside OR key IN_LIST system OR key MATCHES "^(api|ext)-ms-")
            continue()
        endif()
        list(APPEND missing "${name} (imported by ${binary})")
    endforeach()
endforeach()
if(missing)
    list(JOIN missing "\n  " missing)
    message(FATAL_ERROR "Not shipped and not part of Windows:\n  ${missing}")
endif()
list(LENGTH binaries count)
message(STATUS "Checked the imports of ${count} programs and DLLs: all shipped or Windows' own")
