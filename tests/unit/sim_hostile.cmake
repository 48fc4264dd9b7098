# qeto-sim against hostile clients on loopback: one row per misbehaviour, each on its own
# simulator process. Plain GoogleTest, so it builds with or without the client.
find_package(GTest QUIET)
if(GTest_FOUND AND TARGET qeto-sim)
  set(_sim_tests ${PROJECT_SOURCE_DIR}/tests/sim)
  add_executable(tst_sim_hostile ${_sim_tests}/sim_process.h ${_sim_tests}/tst_sim_hostile.cpp)
  target_include_directories(tst_sim_hostile PRIVATE ${_sim_tests})
  if(QETO_SANITIZE)
    set(_sim_sanitized 1)
  else()
    set(_sim_sanitized 0)
  endif()
  target_compile_definitions(tst_sim_hostile PRIVATE QETO_SIM_PATH="$<TARGET_FILE:qeto-sim>"
    QETO_SIM_SANITIZED=${_sim_sanitized})
  target_link_libraries(tst_sim_hostile PRIVATE qeto_gate_headers GTest::gtest_main Threads::Threads)
  set_target_properties(tst_sim_hostile PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testbin/tst_sim_hostile)
  add_dependencies(tst_sim_hostile qeto-sim)
  add_test(NAME tst_sim_hostile COMMAND tst_sim_hostile WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/testbin/tst_sim_hostile)
  set_tests_properties(tst_sim_hostile PROPERTIES LABELS "sim" TIMEOUT 300
    ENVIRONMENT "QETO_SIM=$<TARGET_FILE:qeto-sim>")
endif()
