# Market-data push rate of qeto-sim --md-blast against a plain loopback writer.
if(TARGET qeto-sim)
  add_executable(bench_md_push ${PROJECT_SOURCE_DIR}/bench/bench_md_push.cpp)
  target_compile_definitions(bench_md_push PRIVATE QETO_SIM_PATH="$<TARGET_FILE:qeto-sim>")
  target_link_libraries(bench_md_push PRIVATE qeto_gate_headers Threads::Threads)
  add_dependencies(bench_md_push qeto-sim)
endif()

# What hostile clients cost qeto-sim: memory of clients that never read, CPU when out of descriptors.
if(TARGET qeto-sim)
  add_executable(bench_sim_hostile ${PROJECT_SOURCE_DIR}/bench/bench_sim_hostile.cpp)
  target_include_directories(bench_sim_hostile PRIVATE ${PROJECT_SOURCE_DIR}/tests/sim)
  target_compile_definitions(bench_sim_hostile PRIVATE QETO_SIM_PATH="$<TARGET_FILE:qeto-sim>")
  target_link_libraries(bench_sim_hostile PRIVATE qeto_gate_headers)
  add_dependencies(bench_sim_hostile qeto-sim)
endif()
