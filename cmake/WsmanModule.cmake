# The WS-Management client (platform/wsman/): TLS, XML and GSS-API from MIT Kerberos for
# Negotiate, Kerberos and NTLM. It is built as the module veskin-wsman.so, which the
# locator loads at the first connection to another computer, so that a program asking
# only its own computer never loads those libraries (they double its start-up time).
#
# The module holds only the client's code; what it uses of the layers below comes from
# the program that loads it. A program that may load it calls veskin_wsman_host(): it
# links those layers whole and exports their symbols, and its run path names the
# module's folder (the build folder's lib/, or lib/veskin/ beside the installed bin/).
include(GNUInstallDirs)
set(VESKIN_WSMAN_MODULE_DIR ${CMAKE_INSTALL_LIBDIR}/veskin)
# Installing relinks a program with its install run path. CMake's in-place edit would
# instead end the build folder's run path with an empty entry, which the loader takes
# for the working folder: every library would first be looked for there.
set(CMAKE_NO_BUILTIN_CHRPATH ON)

if(WIN32)
  function(veskin_wsman_host target)
  endfunction()
  return()
endif()

find_package(OpenSSL REQUIRED)
find_package(LibXml2 REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(GSSAPI REQUIRED IMPORTED_TARGET krb5-gssapi)
set(_wsman_libraries OpenSSL::SSL OpenSSL::Crypto LibXml2::LibXml2 PkgConfig::GSSAPI)

# The client's code as objects: the module is made of them, and tests, benchmarks and
# fuzz targets that call its parts directly link them into themselves.
file(GLOB _wsman_src CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/wsman/*.cpp)
list(FILTER _wsman_src EXCLUDE REGEX "/WsmanModule\\.cpp$")
add_library(veskin_wsman_objects OBJECT ${_wsman_src})
set_target_properties(veskin_wsman_objects PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_link_libraries(veskin_wsman_objects PUBLIC veskin_platform ${_wsman_libraries})
veskin_warnings(veskin_wsman_objects)

add_library(veskin_wsman MODULE ${CMAKE_SOURCE_DIR}/platform/wsman/WsmanModule.cpp
            $<TARGET_OBJECTS:veskin_wsman_objects>)
set_target_properties(veskin_wsman PROPERTIES PREFIX "" OUTPUT_NAME veskin-wsman
                      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib
                      CXX_VISIBILITY_PRESET hidden)
target_include_directories(veskin_wsman PRIVATE $<TARGET_PROPERTY:veskin_platform,INTERFACE_INCLUDE_DIRECTORIES>)
target_link_libraries(veskin_wsman PRIVATE ${_wsman_libraries})
veskin_warnings(veskin_wsman)
install(TARGETS veskin_wsman LIBRARY DESTINATION ${VESKIN_WSMAN_MODULE_DIR})

function(veskin_wsman_host target)
  file(RELATIVE_PATH _module_dir ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${VESKIN_WSMAN_MODULE_DIR})
  set_target_properties(${target} PROPERTIES ENABLE_EXPORTS ON
                        BUILD_RPATH ${CMAKE_BINARY_DIR}/lib
                        INSTALL_RPATH "\$ORIGIN/${_module_dir}")
  target_link_options(${target} PRIVATE "LINKER:--whole-archive" $<TARGET_FILE:veskin_platform>
                      $<TARGET_FILE:veskin_wql> $<TARGET_FILE:veskin_rtl> "LINKER:--no-whole-archive")
  target_link_libraries(${target} PRIVATE veskin_platform)
  add_dependencies(${target} veskin_wsman)
endfunction()
