# Account funds dialog and password change dialog.
if(TARGET qeto_desk_core)
  qeto_add_qtest(NAME tst_personal_inf_dialog
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_personal_inf_dialog.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common
    LABELS unit)
  qeto_add_qtest(NAME tst_update_pwd_dialog
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_update_pwd_dialog.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common
    LABELS unit)
endif()
