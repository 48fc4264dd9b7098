# Callback bridge and hub, configuration readers, error catalogue, record layouts.
if(TARGET qeto_desk_core)
  qeto_add_qtest(NAME tst_api_client_utils
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_api_client_utils.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common Qt5::Test
    LABELS unit hub asan tsan)
  qeto_add_qtest(NAME tst_config
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_config.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common Qt5::Test
    LABELS unit hub asan)
  qeto_add_qtest(NAME tst_error_msg
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_error_msg.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common Qt5::Test
    LABELS unit hub asan)
  qeto_add_qtest(NAME tst_records
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_records.cpp
    LIBS qeto_desk_core qeto_gate_fake qeto_test_common Qt5::Test
    LABELS unit hub asan)
endif()
