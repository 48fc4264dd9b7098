# libFuzzer harness over the market-data frame parser: Qt Core and the parser source only,
# so it builds without the client (-DQETO_BUILD_APP=OFF).
find_package(Qt5 5.15 QUIET COMPONENTS Core)
if(Qt5Core_FOUND)
  add_executable(fuzz_md_frames
    ${CMAKE_CURRENT_LIST_DIR}/fuzz_md_frames.cpp
    ${PROJECT_SOURCE_DIR}/app/user/queryWindow/stockQuotes/md_frame_parser.cpp)
  target_include_directories(fuzz_md_frames PRIVATE ${PROJECT_SOURCE_DIR}/app ${PROJECT_SOURCE_DIR}/wire)
  target_compile_options(fuzz_md_frames PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
  target_link_options(fuzz_md_frames PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(fuzz_md_frames PRIVATE Qt5::Core)
else()
  message(STATUS "fuzz_md_frames: Qt5 Core not found, harness not built")
endif()
