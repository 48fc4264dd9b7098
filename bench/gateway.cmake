# Gateway library benchmarks against qeto-sim: order round trip and query throughput.
if(TARGET qeto-sim AND TARGET qeto_gate_test_support)
  foreach(b bench_order_rtt bench_query)
    add_executable(${b} ${PROJECT_SOURCE_DIR}/bench/${b}.cpp)
    target_link_libraries(${b} PRIVATE qeto_gate_test_support QetoGateAPI)
    add_dependencies(${b} qeto-sim)
  endforeach()
endif()
