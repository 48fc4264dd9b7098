# Gateway library suites (GoogleTest, no Qt): against a fake counter inside the test and
# against qeto-sim started as a child process on free ports.
find_package(GTest)
if(GTest_FOUND)
  set(gate_test_dir ${PROJECT_SOURCE_DIR}/tests/gateway)
  add_library(qeto_gate_test_support STATIC
    ${gate_test_dir}/gate_test_support.cpp ${gate_test_dir}/gate_test_support.h)
  target_include_directories(qeto_gate_test_support PUBLIC ${gate_test_dir})
  target_link_libraries(qeto_gate_test_support PUBLIC qeto_gate_headers Threads::Threads)
  if(TARGET qeto-sim)
    target_compile_definitions(qeto_gate_test_support PRIVATE QETO_SIM_PATH="$<TARGET_FILE:qeto-sim>")
  endif()

  add_executable(tst_gateway_lib ${gate_test_dir}/tst_gateway_lib.cpp
    ${PROJECT_SOURCE_DIR}/gateway/lib/gate_params.cpp ${PROJECT_SOURCE_DIR}/gateway/lib/gate_answers.cpp)
  target_include_directories(tst_gateway_lib PRIVATE ${PROJECT_SOURCE_DIR}/gateway/lib)
  target_link_libraries(tst_gateway_lib PRIVATE qeto_gate_test_support QetoGateAPI GTest::gtest_main)

  add_executable(tst_gateway_sim ${gate_test_dir}/tst_gateway_sim.cpp)
  target_link_libraries(tst_gateway_sim PRIVATE qeto_gate_test_support QetoGateAPI GTest::gtest_main)
  if(TARGET qeto-sim)
    add_dependencies(tst_gateway_sim qeto-sim)
  endif()

  foreach(t tst_gateway_lib tst_gateway_sim)
    set_target_properties(${t} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testbin/${t})
    add_test(NAME ${t} COMMAND ${t} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/testbin/${t})
    set_tests_properties(${t} PROPERTIES LABELS "gateway" TIMEOUT 300)
  endforeach()
  # The answer reader is a parser of outside bytes: its rows run under ASan too.
  set_tests_properties(tst_gateway_lib PROPERTIES LABELS "gateway;asan")
endif()
