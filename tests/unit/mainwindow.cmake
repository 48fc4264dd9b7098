# Main window page switching and the shell's message box.
if(TARGET qeto_desk_core)
  qeto_add_qtest(NAME tst_mainwindow
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_mainwindow.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common
    LABELS unit)
endif()
