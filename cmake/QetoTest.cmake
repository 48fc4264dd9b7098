# qeto_add_qtest(NAME <name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>] [TIMEOUT <s>])
# Each test executable gets a directory of its own, so that files it lays beside itself
# (version.txt, config/) never collide with another suite running in parallel.
function(qeto_add_qtest)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  set_target_properties(${T_NAME} PROPERTIES
    AUTOMOC ON
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testbin/${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/testbin/${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(env "QT_QPA_PLATFORM=offscreen")
  if(TARGET qeto-sim)
    list(APPEND env "QETO_SIM=$<TARGET_FILE:qeto-sim>")
  endif()
  if(CMAKE_CROSSCOMPILING AND WIN32)
    # For the Wine runner: where the Qt DLLs and plugins and the build's own DLLs are.
    get_filename_component(qt_prefix "${Qt5_DIR}/../../.." ABSOLUTE)
    list(APPEND env "QETO_QT_MINGW=${qt_prefix}" "QETO_WIN_BIN=${CMAKE_BINARY_DIR}/bin")
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    LABELS "${T_LABELS}"
    ENVIRONMENT "${env}")
endfunction()
