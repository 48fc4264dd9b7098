if(TARGET qeto_desk_core)
  qeto_add_qtest(NAME tst_md_frames
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_md_frames.cpp
    LIBS qeto_desk_core qeto_gate_fake Qt5::Test
    LABELS asan)
  qeto_add_qtest(NAME tst_quotes_client
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_quotes_client.cpp
    LIBS qeto_desk_core qeto_gate_fake Qt5::Test
    LABELS tsan)
endif()
