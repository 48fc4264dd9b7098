# Styled controls and display texts.
if(QETO_BUILD_APP)
  set(QETO_CONTROLS_TEST_LIBS qeto_desk_core qeto_test_common)
  if(TARGET qeto_gate_fake)
    list(APPEND QETO_CONTROLS_TEST_LIBS qeto_gate_fake)
  endif()
  qeto_add_qtest(NAME tst_controls
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_controls.cpp
    LIBS ${QETO_CONTROLS_TEST_LIBS}
    LABELS unit)
  qeto_add_qtest(NAME tst_display_texts
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_display_texts.cpp
    LIBS ${QETO_CONTROLS_TEST_LIBS}
    LABELS unit asan)
endif()
