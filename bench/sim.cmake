# Market-data push rate of qeto-sim --md-blast against a plain loopback writer.
if(TARGET qeto-sim)
  add_executable(bench_md_push ${PROJECT_SOURCE_DIR}/bench/bench_md_push.cpp)
  target_compile_definitions(bench_md_push PRIVATE QETO_SIM_PATH="$<TARGET_FILE:qeto-sim>")
  target_link_libraries(bench_md_push PRIVATE qeto_gate_headers Threads::Threads)
  add_dependencies(bench_md_push qeto-sim)
endif()
