if(TARGET qeto_desk_core)
  qeto_add_qtest(NAME tst_user_widget
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_user_widget.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common Qt5::Test
    LABELS asan tsan)
  qeto_add_qtest(NAME tst_stock_quotes
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_stock_quotes.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common Qt5::Network Qt5::Test
    LABELS asan tsan)
  qeto_add_qtest(NAME tst_csv_export
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_csv_export.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common Qt5::Test
    LABELS asan)
endif()
