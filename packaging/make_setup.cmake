# Run by CPack after it has made the zip (CPACK_POST_BUILD_SCRIPTS): builds the setup program
# Vantorel-<version>-setup.exe beside it from the same staged files, so both hold the same
# program. The CPACK_VTRL_* values come from the top-level CMakeLists.txt.

if(NOT CPACK_VTRL_MAKENSIS)
    message(FATAL_ERROR "makensis was not found: install NSIS (Debian package nsis) to build "
                        "the setup program")
endif()

# The staged files: with the top-level folder of the zip inside the temporary folder or not.
set(stage "${CPACK_TEMPORARY_DIRECTORY}")
if(NOT EXISTS "${stage}/vantorel.exe" AND EXISTS "${stage}/${CPACK_PACKAGE_FILE_NAME}/vantorel.exe")
    set(stage "${stage}/${CPACK_PACKAGE_FILE_NAME}")
endif()
if(NOT EXISTS "${stage}/vantorel.exe")
    message(FATAL_ERROR "no staged vantorel.exe under ${CPACK_TEMPORARY_DIRECTORY}")
endif()

# The uninstaller removes exactly these files, then each folder when it is empty, deepest first.
set(work "${CPACK_TOPLEVEL_DIRECTORY}/setup")
file(MAKE_DIRECTORY "${work}")
file(GLOB_RECURSE staged RELATIVE "${stage}" LIST_DIRECTORIES true "${stage}/*")
list(SORT staged)
set(deletes "")
set(folders "")
foreach(item IN LISTS staged)
    string(REPLACE "/" "\\" windowsItem "${item}")
    if(IS_DIRECTORY "${stage}/${item}")
        list(PREPEND folders "RMDir \"$INSTDIR\\${windowsItem}\"\n")
    else()
        string(APPEND deletes "Delete \"$INSTDIR\\${windowsItem}\"\n")
    endif()
endforeach()
string(REPLACE ";" "" folders "${folders}")
file(WRITE "${work}/uninstall_files.nsh" "${deletes}${folders}")

file(TO_NATIVE_PATH "${stage}" nativeStage)
set(setup "${CPACK_PACKAGE_DIRECTORY}/${CPACK_VTRL_SETUP_FILE_NAME}")
execute_process(
    COMMAND "${CPACK_VTRL_MAKENSIS}" -V2 -NOCD
            "-DSTAGE=${stage}"
            "-DOUTFILE=${setup}"
            "-DVERSION=${CPACK_PACKAGE_VERSION}"
            "-DVERSION_QUAD=${CPACK_VTRL_VERSION_QUAD}"
            "-DVERSION_TEXT=${CPACK_VTRL_VERSION_TEXT}"
            "-DMAJOR=${CPACK_PACKAGE_VERSION_MAJOR}"
            "-DLICENSE=${CPACK_RESOURCE_FILE_LICENSE}"
            "-DICON=${CPACK_VTRL_ICON}"
            "-DFILE_LIST=${work}/uninstall_files.nsh"
            "${CPACK_VTRL_SETUP_SCRIPT}"
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "makensis failed (${result}):\n${output}")
endif()
message(STATUS "setup program: ${setup}")
