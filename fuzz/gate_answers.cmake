# libFuzzer harness over the gateway library's answer reader: the reader's source and the
# contract header only (no sockets, no Qt), so it builds without the client.
add_executable(fuzz_gate_answers
  ${CMAKE_CURRENT_LIST_DIR}/fuzz_gate_answers.cpp
  ${PROJECT_SOURCE_DIR}/gateway/lib/gate_answers.cpp)
target_include_directories(fuzz_gate_answers PRIVATE ${PROJECT_SOURCE_DIR}/gateway/lib)
target_compile_options(fuzz_gate_answers PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
target_link_options(fuzz_gate_answers PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_libraries(fuzz_gate_answers PRIVATE qeto_gate_headers)
