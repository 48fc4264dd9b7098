if(TARGET qeto_desk_core)
  add_executable(bench_watchlist_refresh ${CMAKE_CURRENT_LIST_DIR}/bench_watchlist_refresh.cpp)
  # A directory of its own: the bench lays its own settings file beside itself.
  set_target_properties(bench_watchlist_refresh PROPERTIES
    AUTOMOC ON
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/benchbin/bench_watchlist_refresh)
  # The core refers to the gateway functions; the recording double is enough here.
  target_link_libraries(bench_watchlist_refresh PRIVATE qeto_desk_core qeto_gate_fake Qt5::Network)
endif()
