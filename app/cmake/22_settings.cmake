# Guarded reads of the settings file.
target_sources(qeto_desk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../utils/settings_value.h
  ${CMAKE_CURRENT_LIST_DIR}/../utils/settings_value.cpp)
