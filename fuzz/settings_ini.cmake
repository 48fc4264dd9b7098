# libFuzzer harness over the settings file as the client reads it (QSettings, IniFormat).
find_package(Qt5 5.15 QUIET COMPONENTS Core)
if(Qt5Core_FOUND)
  add_executable(fuzz_settings_ini
    ${CMAKE_CURRENT_LIST_DIR}/fuzz_settings_ini.cpp
    ${PROJECT_SOURCE_DIR}/app/utils/settings_value.cpp)
  target_include_directories(fuzz_settings_ini PRIVATE ${PROJECT_SOURCE_DIR}/app)
  target_compile_options(fuzz_settings_ini PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
  target_link_options(fuzz_settings_ini PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(fuzz_settings_ini PRIVATE Qt5::Core)
else()
  message(STATUS "fuzz_settings_ini: Qt5 Core not found, harness not built")
endif()
