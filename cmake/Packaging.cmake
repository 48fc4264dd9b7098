# Install rules and Debian packages (CPack, DEB generator), two components:
#   desk -> qeto-desk: the client in /opt/qeto-desk with its library, version.txt and config/
#           beside it, the /usr/bin/qeto-desk launcher, the menu entry and the icons;
#   sim  -> qeto-sim:  /usr/bin/qeto-sim and its README.
# Each gets a -dbgsym .ddeb with the split debug files under /usr/lib/debug/.build-id.
#   cmake --build build --target Qeto-Desk qeto-sim && (cd build && cpack -G DEB)
# The GNU directories under the prefix, which defaults to the packages' /usr, so
# DESTDIR=/some/root cmake --install build lays out the same tree the packages hold. Under the
# prefix /usr the client goes to /opt/qeto-desk, as an add-on does there; under any other
# prefix (cmake --install build --prefix ~/.local) to <prefix>/libexec/qeto-desk, where the
# launcher looks first. The prefix is known only at install time, hence the variable there.
if(NOT TARGET Qeto-Desk OR NOT TARGET qeto-sim)
  return()
endif()

# "/" is what earlier versions of these rules forced; /usr now gives that same tree.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT OR CMAKE_INSTALL_PREFIX STREQUAL "/")
  set(CMAKE_INSTALL_PREFIX "/usr" CACHE PATH "Install prefix" FORCE)
endif()
include(GNUInstallDirs)

set(QETO_PKG_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(QETO_PKG_OUT ${PROJECT_BINARY_DIR}/packaging)
set(QETO_CLIENT_DEST "\${QETO_CLIENT_DIR}")
set(QETO_DATA_DIR ${CMAKE_INSTALL_DATAROOTDIR})
install(CODE "if(CMAKE_INSTALL_PREFIX MATCHES \"^/usr/?$\")
  set(QETO_CLIENT_DIR ../opt/qeto-desk)
else()
  set(QETO_CLIENT_DIR ${CMAKE_INSTALL_LIBEXECDIR}/qeto-desk)
endif()" COMPONENT desk)

# Debian version from the first line of version.txt. A version without a hyphen is a native
# one, which keeps the file name <name>_<version>_<arch>.deb; characters Debian does not allow
# become '~', and it must start with a digit.
file(STRINGS ${PROJECT_SOURCE_DIR}/version.txt QETO_VERSION_LINE LIMIT_COUNT 1)
string(STRIP "${QETO_VERSION_LINE}" QETO_DEB_VERSION)
string(REGEX REPLACE "[^A-Za-z0-9.+~]" "~" QETO_DEB_VERSION "${QETO_DEB_VERSION}")
if(NOT QETO_DEB_VERSION MATCHES "^[0-9]")
  set(QETO_DEB_VERSION "0~${QETO_DEB_VERSION}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/version.txt)

# Changelogs and manual pages, compressed as Debian wants them (gzip -9n: no name, no time).
find_program(QETO_GZIP gzip REQUIRED)
function(qeto_gzip in out)
  execute_process(COMMAND ${QETO_GZIP} -9nc ${in} OUTPUT_FILE ${out} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip ${in} failed")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${in})
endfunction()
file(MAKE_DIRECTORY ${QETO_PKG_OUT})
foreach(pkg qeto-desk qeto-sim)
  set(QETO_DEB_PACKAGE ${pkg})
  file(MAKE_DIRECTORY ${QETO_PKG_OUT}/${pkg})
  configure_file(${QETO_PKG_DIR}/changelog.in ${QETO_PKG_OUT}/${pkg}.changelog @ONLY)
  qeto_gzip(${QETO_PKG_OUT}/${pkg}.changelog ${QETO_PKG_OUT}/${pkg}/changelog.gz)
  qeto_gzip(${QETO_PKG_DIR}/${pkg}.1 ${QETO_PKG_OUT}/${pkg}/${pkg}.1.gz)
endforeach()

# --- qeto-desk ---------------------------------------------------------------------------
# The client finds the gateway library beside itself, never on a system path.
set_target_properties(Qeto-Desk PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS Qeto-Desk RUNTIME DESTINATION ${QETO_CLIENT_DEST} COMPONENT desk)
install(TARGETS QetoGateAPI LIBRARY DESTINATION ${QETO_CLIENT_DEST} COMPONENT desk
        NAMELINK_SKIP)
# Read-only for the client; the administrator edits config/ in place.
install(FILES ${PROJECT_SOURCE_DIR}/version.txt DESTINATION ${QETO_CLIENT_DEST} COMPONENT desk)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/config/ DESTINATION ${QETO_CLIENT_DEST}/config COMPONENT desk
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(PROGRAMS ${QETO_PKG_DIR}/qeto-desk DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT desk)
install(FILES ${QETO_PKG_DIR}/qeto-desk.desktop DESTINATION ${QETO_DATA_DIR}/applications COMPONENT desk)
install(FILES ${QETO_PKG_DIR}/icons/qeto-desk.svg DESTINATION ${QETO_DATA_DIR}/icons/hicolor/scalable/apps
        COMPONENT desk)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${QETO_PKG_DIR}/icons/hicolor/${size}x${size}/qeto-desk.png
          DESTINATION ${QETO_DATA_DIR}/icons/hicolor/${size}x${size}/apps COMPONENT desk)
endforeach()
install(FILES ${QETO_PKG_OUT}/qeto-desk/qeto-desk.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT desk)
install(FILES ${QETO_PKG_DIR}/copyright ${QETO_PKG_OUT}/qeto-desk/changelog.gz
        DESTINATION ${QETO_DATA_DIR}/doc/qeto-desk COMPONENT desk)
install(FILES ${QETO_PKG_DIR}/qeto-desk.lintian-overrides DESTINATION ${QETO_DATA_DIR}/lintian/overrides
        RENAME qeto-desk COMPONENT desk)

# --- qeto-sim ----------------------------------------------------------------------------
install(TARGETS qeto-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT sim)
install(FILES ${PROJECT_SOURCE_DIR}/sim/README.md ${QETO_PKG_DIR}/copyright
              ${QETO_PKG_OUT}/qeto-sim/changelog.gz
        DESTINATION ${QETO_DATA_DIR}/doc/qeto-sim COMPONENT sim)
install(FILES ${QETO_PKG_OUT}/qeto-sim/qeto-sim.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT sim)

# --- CPack -------------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qeto-desk)
set(CPACK_PACKAGE_VERSION ${QETO_DEB_VERSION})
set(CPACK_PACKAGE_VENDOR "Qeto-Desk developers")
set(CPACK_PACKAGE_CONTACT "Qeto-Desk developers <packaging@qeto-desk.example>")
# The packages' prefix is the install prefix the rules see (DESTDIR staging), which puts the
# client in /opt.
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_COMPONENTS_ALL desk sim)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)

set(CPACK_DEBIAN_DESK_PACKAGE_NAME qeto-desk)
set(CPACK_DEBIAN_DESK_PACKAGE_SECTION misc)
# The CJK font draws the Chinese texts; eu-stack (elfutils) puts every thread's stack in a
# crash report.
set(CPACK_DEBIAN_DESK_PACKAGE_DEPENDS "fonts-wqy-microhei")
set(CPACK_DEBIAN_DESK_PACKAGE_RECOMMENDS "elfutils")
set(CPACK_COMPONENT_DESK_DESCRIPTION
    "desktop trading client for a cash securities account\n\
Qeto-Desk trades an investor's cash account at a broker's counter for the\n\
Shanghai and Shenzhen exchanges: login, limit orders beside a live\n\
five-level quote panel, a live quote list, order query and batch cancel,\n\
trades, positions, CSV export, funds, deposits and withdrawals, transfers\n\
between the exchanges and password change.\n\
.\n\
The client is installed in /opt/qeto-desk with its gateway library and its\n\
configuration; qeto-desk starts it in the user's data folder, where it\n\
writes its day logs and crash reports.")

set(CPACK_DEBIAN_SIM_PACKAGE_NAME qeto-sim)
set(CPACK_DEBIAN_SIM_PACKAGE_SECTION misc)
set(CPACK_COMPONENT_SIM_DESCRIPTION
    "simulated trading counter and market-data server for Qeto-Desk\n\
qeto-sim serves a trading counter (login, limit orders with matching,\n\
queries, funds, transfers, password change) and Level-1 market data on\n\
the loopback address, for trying Qeto-Desk without a broker and for\n\
testing it.")

include(CPack)
