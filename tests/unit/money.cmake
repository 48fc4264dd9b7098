if(TARGET qeto_desk_core)
  qeto_add_qtest(NAME tst_deposit_withdrawal
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_deposit_withdrawal.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common Qt5::Test
    LABELS unit)
  qeto_add_qtest(NAME tst_fund_transfer
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_fund_transfer.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common Qt5::Test
    LABELS unit)
endif()
