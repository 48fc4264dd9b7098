# libFuzzer harness over the gateway parameter file's key check and business-code reader.
find_package(Qt5 5.15 QUIET COMPONENTS Core)
if(Qt5Core_FOUND)
  add_executable(fuzz_api_config
    ${CMAKE_CURRENT_LIST_DIR}/fuzz_api_config.cpp
    ${PROJECT_SOURCE_DIR}/app/utils/read_api_config.cpp
    ${PROJECT_SOURCE_DIR}/app/utils/read_api_config.h
    ${PROJECT_SOURCE_DIR}/app/constants.cpp)
  set_target_properties(fuzz_api_config PROPERTIES AUTOMOC ON)
  target_include_directories(fuzz_api_config PRIVATE ${PROJECT_SOURCE_DIR}/app)
  target_compile_options(fuzz_api_config PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
  target_link_options(fuzz_api_config PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(fuzz_api_config PRIVATE Qt5::Core)
else()
  message(STATUS "fuzz_api_config: Qt5 Core not found, harness not built")
endif()
