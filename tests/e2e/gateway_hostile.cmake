# The gateway library against a counter in the suite that sends malformed frames, floods or
# stays silent (GoogleTest, no Qt). Uses the support library of gateway.cmake.
if(TARGET qeto_gate_test_support)
  add_executable(tst_gateway_hostile ${PROJECT_SOURCE_DIR}/tests/gateway/tst_gateway_hostile.cpp)
  target_link_libraries(tst_gateway_hostile PRIVATE qeto_gate_test_support QetoGateAPI GTest::gtest_main)
  set_target_properties(tst_gateway_hostile PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testbin/tst_gateway_hostile)
  add_test(NAME tst_gateway_hostile COMMAND tst_gateway_hostile
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/testbin/tst_gateway_hostile)
  set_tests_properties(tst_gateway_hostile PROPERTIES LABELS "gateway;asan" TIMEOUT 300)
endif()
