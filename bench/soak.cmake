# Soak: the logged-in client against qeto-sim for minutes, resident memory sampled.
if(TARGET qeto_desk_core AND TARGET QetoGateAPI AND TARGET qeto-sim)
  add_executable(bench_soak ${CMAKE_CURRENT_LIST_DIR}/bench_soak.cpp)
  # A directory of its own: the bench lays its configuration files and log beside itself.
  set_target_properties(bench_soak PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/benchbin/bench_soak)
  target_link_libraries(bench_soak PRIVATE qeto_desk_core QetoGateAPI)
  target_compile_definitions(bench_soak PRIVATE
    QETO_SIM_PATH="$<TARGET_FILE:qeto-sim>" QETO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_dependencies(bench_soak qeto-sim)
endif()
