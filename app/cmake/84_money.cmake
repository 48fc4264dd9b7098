# Shanghai-Shenzhen transfer: the form and the record table inside the transfer window.
target_sources(qeto_desk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/fundtransfer/fundtransfer_operation_widget.h
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/fundtransfer/fundtransfer_operation_widget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/fundtransfer/fundtransfer_table_widget.h
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/fundtransfer/fundtransfer_table_widget.cpp)
