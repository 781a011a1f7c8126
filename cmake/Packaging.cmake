# Install rules and the Debian package (cpack -G DEB): the window and the console
# program in bin, the WS-Management module in lib/veskin (cmake/WsmanModule.cmake), the
# manual pages gzip-compressed, the desktop entry and the icon.
include(GNUInstallDirs)

if(TARGET veskin)
  install(TARGETS veskin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET wmiquery)
  install(TARGETS wmiquery RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(WIN32)
  return()
endif()

# Manual pages compressed as Debian ships them (-n: no name or time stamp, so that
# the package is the same from build to build).
find_program(VESKIN_GZIP gzip REQUIRED)
set(_man_pages)
foreach(_page veskin.1 wmiquery.1)
  set(_gz ${CMAKE_BINARY_DIR}/man/${_page}.gz)
  add_custom_command(OUTPUT ${_gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${VESKIN_GZIP} -9 -n -c ${CMAKE_SOURCE_DIR}/docs/man/${_page} > ${_gz}
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/${_page}
    VERBATIM)
  list(APPEND _man_pages ${_gz})
endforeach()

# The 256x256 icon is rendered from the scalable one (rsvg-convert, librsvg2-bin). A
# build without it still works; only its package lacks that icon.
find_program(VESKIN_RSVG_CONVERT rsvg-convert)
set(_icon_png)
if(VESKIN_RSVG_CONVERT)
  set(_icon_png ${CMAKE_BINARY_DIR}/icons/veskin.png)
  add_custom_command(OUTPUT ${_icon_png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons
    COMMAND ${VESKIN_RSVG_CONVERT} -w 256 -h 256 -o ${_icon_png} ${CMAKE_SOURCE_DIR}/data/veskin.svg
    DEPENDS ${CMAKE_SOURCE_DIR}/data/veskin.svg
    VERBATIM)
  install(FILES ${_icon_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
else()
  message(WARNING "rsvg-convert not found (librsvg2-bin): the package will lack the 256x256 icon")
endif()
add_custom_target(veskin_package_data ALL DEPENDS ${_man_pages} ${_icon_png})

install(FILES ${_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/veskin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/veskin.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
set(CPACK_PACKAGE_NAME veskin)
set(CPACK_PACKAGE_VENDOR Halvord)
set(CPACK_PACKAGE_CONTACT "Halvord Veskin developers <veskin@halvord.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "try out WMI access to a Windows computer")
set(CPACK_PACKAGE_DESCRIPTION "Veskin runs a WQL query on a computer's WMI service and shows every \
object it returns as a row of a table; wmiquery does the same on the console for scripts \
(table, CSV or JSON lines). On Linux it answers for the local computer from /proc and /sys, \
and reaches Windows computers over WS-Management (WinRM).")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Shared libraries the programs and the module link come from dpkg-shlibdeps. Listed as
# well: the Qt platform plugins (loaded, not linked), the module's TLS, XML and GSS-API
# libraries, and gss-ntlmssp (a GSS-API mechanism, loaded by GSS-API).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libssl3, libxml2, libgssapi-krb5-2, gss-ntlmssp")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "man-db")
include(CPack)
