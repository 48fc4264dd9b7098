# Start-up services: log handler, version, crash dump, and the main window's home.
target_sources(qeto_desk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../log_handler.h
  ${CMAKE_CURRENT_LIST_DIR}/../log_handler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../version.h
  ${CMAKE_CURRENT_LIST_DIR}/../version.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../crash_dump.h
  ${CMAKE_CURRENT_LIST_DIR}/../mainwindow.h
  ${CMAKE_CURRENT_LIST_DIR}/../mainwindow.cpp)
if(WIN32)
  target_sources(qeto_desk_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../crash_dump_win.cpp)
  target_link_libraries(qeto_desk_core PUBLIC dbghelp)
else()
  target_sources(qeto_desk_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../crash_dump_posix.cpp)
endif()
