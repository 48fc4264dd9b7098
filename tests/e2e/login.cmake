# Login against qeto-sim through the real gateway library.
if(TARGET QetoGateAPI)
  qeto_add_qtest(NAME tst_login_e2e
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_login_e2e.cpp
    LIBS qeto_desk_core QetoGateAPI qeto_test_common
    LABELS e2e
    TIMEOUT 300)
  target_compile_definitions(tst_login_e2e PRIVATE QETO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if(TARGET qeto-sim)
    add_dependencies(tst_login_e2e qeto-sim)
  endif()
endif()
