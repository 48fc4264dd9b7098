# Callback bridge and signal hub, configuration readers, error catalogue.
target_sources(qeto_desk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../utils/record_text.h
  ${CMAKE_CURRENT_LIST_DIR}/../utils/shared_text.h
  ${CMAKE_CURRENT_LIST_DIR}/../utils/api_client_utils.h
  ${CMAKE_CURRENT_LIST_DIR}/../utils/api_client_utils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../utils/signal_interface.h
  ${CMAKE_CURRENT_LIST_DIR}/../utils/signal_interface.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../utils/read_api_config.h
  ${CMAKE_CURRENT_LIST_DIR}/../utils/read_api_config.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../utils/config_param_reader.h
  ${CMAKE_CURRENT_LIST_DIR}/../utils/config_param_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../utils/error_msg.h
  ${CMAKE_CURRENT_LIST_DIR}/../utils/error_msg.cpp)
