# Order window: order form, five-level panel and their assembly.
if(TARGET qeto_desk_core)
  qeto_add_qtest(NAME tst_order_window
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_order_window.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common Qt5::Network Qt5::Test
    LABELS unit asan)
endif()
