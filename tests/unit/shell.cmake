# Start-up services: logging and version, crash reports, resources, and the program starting.
if(TARGET qeto_desk_core)
  qeto_add_qtest(NAME tst_logging
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_logging.cpp
    LIBS qeto_desk_core qeto_test_common
    LABELS unit asan tsan)
endif()

if(TARGET qeto_desk_core)
  qeto_add_qtest(NAME tst_crashdump
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_crashdump.cpp
    LIBS qeto_desk_core qeto_test_common
    LABELS unit)
endif()

if(TARGET qeto_desk_core)
  qeto_add_qtest(NAME tst_resources
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_resources.cpp
    LIBS qeto_desk_core qeto_test_common
    LABELS unit)
endif()

if(TARGET Qeto-Desk)
  qeto_add_qtest(NAME tst_startup
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_startup.cpp
    LIBS Qt5::Core Qt5::Test
    LABELS unit)
  target_compile_definitions(tst_startup PRIVATE
    QETO_DESK_EXE="$<TARGET_FILE:Qeto-Desk>"
    QETO_VERSION_FILE="${PROJECT_SOURCE_DIR}/version.txt")
  add_dependencies(tst_startup Qeto-Desk)
endif()
