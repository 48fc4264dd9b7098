# libFuzzer harness over the key=value parameter-file reader (standard library only).
add_executable(fuzz_config_param
  ${CMAKE_CURRENT_LIST_DIR}/fuzz_config_param.cpp
  ${PROJECT_SOURCE_DIR}/app/utils/config_param_reader.cpp)
target_include_directories(fuzz_config_param PRIVATE ${PROJECT_SOURCE_DIR}/app)
target_compile_options(fuzz_config_param PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
target_link_options(fuzz_config_param PRIVATE -fsanitize=fuzzer,address,undefined)
