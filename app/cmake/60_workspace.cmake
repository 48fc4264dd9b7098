# Workspace: query-window base, market-data thread owner, quote list, workspace and the windows it opens.
target_sources(qeto_desk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/query_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/query_window.h
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/query_windows_manager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/query_windows_manager.h
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/stockQuotes/stock_quotes_widget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/stockQuotes/stock_quotes_widget.h
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/position_widget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/position_widget.h
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/transaction_widget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/transaction_widget.h
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/ordered_widget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/ordered_widget.h
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/depositandwithdrawal_widget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/depositandwithdrawal_widget.h
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/fundtransfer/fundtransfer_widget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../user/queryWindow/fundtransfer/fundtransfer_widget.h
  ${CMAKE_CURRENT_LIST_DIR}/../user/orderWindow/order_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../user/orderWindow/order_window.h
  ${CMAKE_CURRENT_LIST_DIR}/../user/personal_inf_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../user/personal_inf_dialog.h
  ${CMAKE_CURRENT_LIST_DIR}/../user/update_pwd_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../user/update_pwd_dialog.h
  ${CMAKE_CURRENT_LIST_DIR}/../user/user_widget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../user/user_widget.h)
