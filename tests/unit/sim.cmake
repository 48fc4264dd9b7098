# qeto-sim: engine tests (no sockets) and a socket-level test against the real executable.
# Plain GoogleTest, so it builds with or without the client.
find_package(GTest QUIET)
if(GTest_FOUND AND TARGET qeto_sim_engine)
  set(_sim_tests ${PROJECT_SOURCE_DIR}/tests/sim)
  add_executable(tst_sim
    ${_sim_tests}/sim_harness.h
    ${_sim_tests}/tst_sim_counter.cpp
    ${_sim_tests}/tst_sim_market.cpp
    ${_sim_tests}/tst_sim_socket.cpp)
  target_include_directories(tst_sim PRIVATE ${_sim_tests})
  target_compile_definitions(tst_sim PRIVATE QETO_SIM_PATH="$<TARGET_FILE:qeto-sim>")
  target_link_libraries(tst_sim PRIVATE qeto_sim_engine GTest::gtest_main Threads::Threads)
  set_target_properties(tst_sim PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testbin/tst_sim)
  add_dependencies(tst_sim qeto-sim)
  add_test(NAME tst_sim COMMAND tst_sim WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/testbin/tst_sim)
  set_tests_properties(tst_sim PROPERTIES LABELS "sim" TIMEOUT 300
    ENVIRONMENT "QETO_SIM=$<TARGET_FILE:qeto-sim>")
endif()
