# The folder a Windows user runs and its installer:
#   windows-deploy    -> <build>/deploy/Qeto-Desk: the client, its library, the Qt and MinGW
#                        runtime DLLs, the plugins it loads, version.txt, config/ and qeto-sim.exe;
#   windows-installer -> <build>/Qeto-Desk-<version>-setup.exe, made by makensis from that folder
#                        with packaging/windows/qeto-desk.nsi.
if(NOT TARGET Qeto-Desk OR NOT TARGET qeto-sim)
  return()
endif()
find_package(Qt5 5.15 REQUIRED COMPONENTS Svg)

file(STRINGS ${PROJECT_SOURCE_DIR}/version.txt QETO_VERSION_LINE LIMIT_COUNT 1)
string(STRIP "${QETO_VERSION_LINE}" QETO_WIN_VERSION)
# A file name and NSIS define: no path separators, quotes or spaces from a hand-edited version.
string(REGEX REPLACE "[^A-Za-z0-9._+-]" "_" QETO_WIN_VERSION "${QETO_WIN_VERSION}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/version.txt)

# The MinGW runtime the executables were linked against.
set(QETO_MINGW_RUNTIME "")
foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "MinGW runtime ${dll} not found by ${CMAKE_CXX_COMPILER}")
  endif()
  list(APPEND QETO_MINGW_RUNTIME ${path})
endforeach()

string(JOIN "|" QETO_MINGW_RUNTIME ${QETO_MINGW_RUNTIME})

set(QETO_DEPLOY_DIR ${CMAKE_BINARY_DIR}/deploy/Qeto-Desk)
set(deploy_args
  -DDEST=${QETO_DEPLOY_DIR}
  -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
  "-DTOP=$<TARGET_FILE:Qeto-Desk>|$<TARGET_FILE:QetoGateAPI>|$<TARGET_FILE:qeto-sim>|$<TARGET_FILE:Qt5::Core>|$<TARGET_FILE:Qt5::Gui>|$<TARGET_FILE:Qt5::Widgets>|$<TARGET_FILE:Qt5::Network>|$<TARGET_FILE:Qt5::Svg>|${QETO_MINGW_RUNTIME}"
  "-DPLUGINS=platforms:$<TARGET_FILE:Qt5::QWindowsIntegrationPlugin>|styles:$<TARGET_FILE:Qt5::QWindowsVistaStylePlugin>|imageformats:$<TARGET_FILE:Qt5::QSvgPlugin>|imageformats:$<TARGET_FILE:Qt5::QJpegPlugin>|imageformats:$<TARGET_FILE:Qt5::QICOPlugin>|iconengines:$<TARGET_FILE:Qt5::QSvgIconPlugin>"
  -DSTRIP=${CMAKE_STRIP}
  -DNSH=${CMAKE_BINARY_DIR}/deploy/files.nsh)
add_custom_target(windows-deploy
  COMMAND ${CMAKE_COMMAND} ${deploy_args} -P ${PROJECT_SOURCE_DIR}/cmake/windows_deploy_folder.cmake
  DEPENDS Qeto-Desk QetoGateAPI qeto-sim
  COMMENT "Laying out ${QETO_DEPLOY_DIR}"
  VERBATIM)

find_program(QETO_MAKENSIS makensis)
if(QETO_MAKENSIS)
  set(QETO_INSTALLER ${CMAKE_BINARY_DIR}/Qeto-Desk-${QETO_WIN_VERSION}-setup.exe)
  add_custom_target(windows-installer
    COMMAND ${QETO_MAKENSIS} -V2 -INPUTCHARSET UTF8
            -DVERSION=${QETO_WIN_VERSION}
            -DSRCDIR=${QETO_DEPLOY_DIR}
            -DFILES_NSH=${CMAKE_BINARY_DIR}/deploy/files.nsh
            -DICON=${QETO_APP_ICON}
            -DOUTFILE=${QETO_INSTALLER}
            ${PROJECT_SOURCE_DIR}/packaging/windows/qeto-desk.nsi
    DEPENDS windows-deploy
    COMMENT "Making ${QETO_INSTALLER}"
    VERBATIM)
  add_dependencies(windows-installer windows-deploy)
endif()
