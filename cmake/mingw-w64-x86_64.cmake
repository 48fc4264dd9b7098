# Cross-build for 64-bit Windows with Debian's MinGW-w64, POSIX-threads flavour (std::thread and
# std::mutex need it). Tests run through the Wine runner; QETO_QT_MINGW names the Qt that
# scripts/build-qt-mingw.sh built.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
if(DEFINED ENV{QETO_QT_MINGW})
  list(APPEND CMAKE_FIND_ROOT_PATH $ENV{QETO_QT_MINGW})
  list(APPEND CMAKE_PREFIX_PATH $ENV{QETO_QT_MINGW})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every test command and every add_custom_command running a built .exe goes through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
