# libFuzzer harness over the error catalogue's parsing and lookups.
find_package(Qt5 5.15 QUIET COMPONENTS Core)
if(Qt5Core_FOUND)
  add_executable(fuzz_error_msg
    ${CMAKE_CURRENT_LIST_DIR}/fuzz_error_msg.cpp
    ${PROJECT_SOURCE_DIR}/app/utils/error_msg.cpp
    ${PROJECT_SOURCE_DIR}/app/utils/error_msg.h
    ${PROJECT_SOURCE_DIR}/app/constants.cpp)
  set_target_properties(fuzz_error_msg PROPERTIES AUTOMOC ON)
  target_include_directories(fuzz_error_msg PRIVATE ${PROJECT_SOURCE_DIR}/app)
  target_compile_options(fuzz_error_msg PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
  target_link_options(fuzz_error_msg PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(fuzz_error_msg PRIVATE Qt5::Core qeto_gate_headers)
else()
  message(STATUS "fuzz_error_msg: Qt5 Core not found, harness not built")
endif()
