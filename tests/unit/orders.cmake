# Order table: query, paging, cancels, full export.
if(TARGET qeto_desk_core)
  qeto_add_qtest(NAME tst_ordered_widget
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_ordered_widget.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common Qt5::Test
    LABELS unit)
endif()
