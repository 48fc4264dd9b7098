# Login request, terminal information and the login screen.
target_sources(qeto_desk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../login/login_req.h
  ${CMAKE_CURRENT_LIST_DIR}/../login/login_req.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../login/login_widget.h
  ${CMAKE_CURRENT_LIST_DIR}/../login/login_widget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../utils/terminal_info.h
  ${CMAKE_CURRENT_LIST_DIR}/../utils/terminal_info.cpp)
