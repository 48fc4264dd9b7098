# Market-data ingest: frames/s stored by QuotesTcpClient from qeto-sim --md-blast, and how
# long GUI-thread readers wait meanwhile.
if(TARGET qeto_desk_core)
  add_executable(bench_md_ingest ${CMAKE_CURRENT_LIST_DIR}/bench_md_ingest.cpp)
  # A directory of its own: the bench lays its settings file beside itself.
  set_target_properties(bench_md_ingest PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/benchbin/bench_md_ingest)
  target_link_libraries(bench_md_ingest PRIVATE qeto_desk_core qeto_gate_fake Qt5::Network)
  if(TARGET qeto-sim)
    target_compile_definitions(bench_md_ingest PRIVATE QETO_SIM_PATH="$<TARGET_FILE:qeto-sim>")
    add_dependencies(bench_md_ingest qeto-sim)
  endif()
endif()
