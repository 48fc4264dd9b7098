target_sources(qeto_desk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../constants.h
  ${CMAKE_CURRENT_LIST_DIR}/../constants.cpp)
