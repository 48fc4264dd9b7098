if(TARGET qeto_desk_core)
  qeto_add_qtest(NAME tst_position_widget
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_position_widget.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common Qt5::Test
    LABELS unit)
  qeto_add_qtest(NAME tst_transaction_widget
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_transaction_widget.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common Qt5::Test
    LABELS unit)
endif()
