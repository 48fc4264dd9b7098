# The shell's message box.
target_sources(qeto_desk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../my_message_box.h
  ${CMAKE_CURRENT_LIST_DIR}/../my_message_box.cpp)
