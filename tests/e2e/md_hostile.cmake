# A misbehaving market-data server against the real client and quote list.
if(TARGET qeto_desk_core)
  qeto_add_qtest(NAME tst_md_hostile
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_md_hostile.cpp
    LIBS qeto_desk_core qeto_gate_fake Qt5::Network Qt5::Test
    LABELS e2e
    TIMEOUT 600)
  target_include_directories(tst_md_hostile PRIVATE ${PROJECT_SOURCE_DIR}/tests/unit)
endif()
