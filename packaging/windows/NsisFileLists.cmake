# Writes the installer's file lists from the installed folder: one macro that installs every
# file, one that removes exactly those files and then their folders, deepest first. The
# uninstaller so removes what the installer put there and nothing else: no recursive delete that
# would take along whatever a user kept in a folder they chose for the program.
#
# Usage: cmake -DSTAGE=INSTALLED_FOLDER -DOUTPUT=FILE.nsh -P NsisFileLists.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT STAGE OR NOT OUTPUT OR NOT IS_DIRECTORY "${STAGE}")
    message(FATAL_ERROR
        "Usage: cmake -DSTAGE=INSTALLED_FOLDER -DOUTPUT=FILE.nsh -P NsisFileLists.cmake")
endif()

# A path below the installation folder, given with forward slashes.
function(nsis_installed relative out)
    string(REPLACE "/" "\\" relative "${relative}")
    if(relative STREQUAL "")
        set(${out} "\"$INSTDIR\"" PARENT_SCOPE)
    else()
        set(${out} "\"$INSTDIR\\${relative}\"" PARENT_SCOPE)
    endif()
endfunction()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${STAGE} ${STAGE}/*)
list(SORT files)
if(NOT files)
    message(FATAL_ERROR "${STAGE} is empty")
endif()
# NSIS would read "$" as a variable (and not at all in a source path) and end a string at a
# quote; no file of ours is named so.
foreach(file IN LISTS files)
    if(file MATCHES "[$\"`]")
        message(FATAL_ERROR "The installer cannot take a file named ${file}")
    endif()
endforeach()

set(install "")
set(remove "")
set(folders "")
set(current_folder "-")
set(bytes 0)
foreach(file IN LISTS files)
    get_filename_component(folder "${file}" DIRECTORY)
    if(NOT folder STREQUAL current_folder)
        set(current_folder "${folder}")
        nsis_installed("${folder}" target)
        string(APPEND install "    SetOutPath ${target}\n")
        # Every folder on the way, for a folder may hold only folders.
        set(parent "${folder}")
        while(NOT parent STREQUAL "")
            list(APPEND folders "${parent}")
            get_filename_component(parent "${parent}" DIRECTORY)
        endwhile()
    endif()
    string(APPEND install "    File \"${STAGE}/${file}\"\n")
    nsis_installed("${file}" target)
    string(APPEND remove "    Delete ${target}\n")
    file(SIZE "${STAGE}/${file}" size)
    math(EXPR bytes "${bytes} + ${size}")
endforeach()

# Deepest folders first, so that each is empty when it is removed.
list(REMOVE_DUPLICATES folders)
set(by_depth "")
foreach(folder IN LISTS folders)
    string(REGEX MATCHALL "/" separators "${folder}")
    list(LENGTH separators depth)
    list(APPEND by_depth "${depth}|${folder}")
endforeach()
list(SORT by_depth COMPARE NATURAL ORDER DESCENDING)
foreach(entry IN LISTS by_depth)
    string(REGEX REPLACE "^[0-9]+\\|" "" folder "${entry}")
    nsis_installed("${folder}" target)
    string(APPEND remove "    RMDir ${target}\n")
endforeach()

math(EXPR kib "(${bytes} + 1023) / 1024")
file(WRITE "${OUTPUT}.new"
    "; Written by NsisFileLists.cmake from ${STAGE}\n"
    "!define TRIEBWERKE_INSTALLED_KIB ${kib}\n\n"
    "!macro TRIEBWERKE_INSTALL_FILES\n${install}!macroend\n\n"
    "!macro TRIEBWERKE_REMOVE_FILES\n${remove}!macroend\n")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
