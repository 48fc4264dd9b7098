# Login request records and failures, terminal-information parsing, login screen, main window.
if(TARGET qeto_desk_core)
  qeto_add_qtest(NAME tst_login
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_login.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common
    LABELS unit tsan)
  target_compile_definitions(tst_login PRIVATE QETO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

  qeto_add_qtest(NAME tst_terminal_info
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_terminal_info.cpp
    LIBS qeto_desk_core qeto_gate_fake Qt5::Test
    LABELS unit)
endif()
