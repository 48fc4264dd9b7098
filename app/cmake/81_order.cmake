# Order window: order entry form and five-level quote panel.
target_sources(qeto_desk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../user/orderWindow/order_widget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../user/orderWindow/order_widget.h
  ${CMAKE_CURRENT_LIST_DIR}/../user/orderWindow/level_widget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../user/orderWindow/level_widget.h)
