# The real client started beside damaged files, driven by a generic plugin loaded into it.
if(TARGET Qeto-Desk AND TARGET QetoGateAPI)
  add_library(qeto_login_driver MODULE ${CMAKE_CURRENT_LIST_DIR}/login_driver_plugin.cpp)
  set_target_properties(qeto_login_driver PROPERTIES
    AUTOMOC ON
    AUTOMOC_DEPEND_FILTERS "Q_PLUGIN_METADATA;\"[^\"]*\\.json\""
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testbin/tst_damaged_files/plugins/generic)
  target_link_libraries(qeto_login_driver PRIVATE Qt5::Widgets)

  qeto_add_qtest(NAME tst_damaged_files
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_damaged_files.cpp
    LIBS Qt5::Core Qt5::Test
    LABELS e2e
    TIMEOUT 600)
  target_compile_definitions(tst_damaged_files PRIVATE
    QETO_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    QETO_DESK_EXE="$<TARGET_FILE:Qeto-Desk>"
    QETO_GATE_LIB="$<TARGET_FILE:QetoGateAPI>"
    QETO_DRIVER_PLUGIN_PATH="${CMAKE_BINARY_DIR}/testbin/tst_damaged_files/plugins")
  add_dependencies(tst_damaged_files Qeto-Desk qeto_login_driver)
  if(TARGET qeto-sim)
    add_dependencies(tst_damaged_files qeto-sim)
  endif()
endif()
