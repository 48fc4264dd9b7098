target_sources(qeto_desk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/stockQuotes/md_frame_parser.h
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/stockQuotes/md_frame_parser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/stockQuotes/quotes_tcp_client.h
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/stockQuotes/quotes_tcp_client.cpp)
