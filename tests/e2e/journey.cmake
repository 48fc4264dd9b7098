# The trader's whole journey against qeto-sim, driven through the real main window, and the
# real program closed through its window on an X server of its own.
if(TARGET qeto_journey_driver)
  qeto_add_qtest(NAME tst_journey
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_journey.cpp
    LIBS qeto_journey_driver qeto_desk_core QetoGateAPI Qt5::Test
    LABELS e2e
    TIMEOUT 600)
  target_compile_definitions(tst_journey PRIVATE QETO_DESK_EXE="$<TARGET_FILE:Qeto-Desk>")
  add_dependencies(tst_journey qeto-sim Qeto-Desk)
  find_package(X11 QUIET)
  if(X11_FOUND)
    target_link_libraries(tst_journey PRIVATE X11::X11)
    target_compile_definitions(tst_journey PRIVATE QETO_HAVE_X11)
  endif()
endif()
