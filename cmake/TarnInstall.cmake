# Installation of the header, the libraries, the tools and the CMake package.
#
#   cmake --install build/linux --prefix /opt/tarn
#
# gives include/tarnclient/TarnClient.h, the TarnClient and XMLParser
# libraries, tarn and tarn-devserver, a CMake package (find_package(TarnClient)
# -> TarnClient::TarnClient) and a pkg-config file (tarnclient.pc).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TARN_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/TarnClient)

# Installed programs and libraries find their libraries beside them or in
# the library folder, wherever the prefix is.
if(NOT WIN32)
  file(RELATIVE_PATH tarn_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(TarnClient PROPERTIES INSTALL_RPATH "$ORIGIN")
  foreach(tool tarn tarn-devserver)
    if(TARGET ${tool})
      set_target_properties(${tool} PROPERTIES INSTALL_RPATH "$ORIGIN/${tarn_bin_to_lib}")
    endif()
  endforeach()
endif()

# The header states the version for hosts; it must be the project's.
file(STRINGS ${PROJECT_SOURCE_DIR}/include/tarnclient/TarnClient.h tarn_header_version
     REGEX "^#define TARNCLIENT_VERSION_")
set(tarn_project_version
    "#define TARNCLIENT_VERSION_MAJOR ${PROJECT_VERSION_MAJOR}"
    "#define TARNCLIENT_VERSION_MINOR ${PROJECT_VERSION_MINOR}"
    "#define TARNCLIENT_VERSION_PATCH ${PROJECT_VERSION_PATCH}"
    "#define TARNCLIENT_VERSION_STRING \"${PROJECT_VERSION}\"")
if(NOT tarn_header_version STREQUAL tarn_project_version)
  message(FATAL_ERROR "include/tarnclient/TarnClient.h states version\n  ${tarn_header_version}\n"
                      "but the project is ${PROJECT_VERSION}: update the TARNCLIENT_VERSION_ macros")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/include/tarnclient/TarnClient.h)

install(FILES ${PROJECT_SOURCE_DIR}/include/tarnclient/TarnClient.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tarnclient)

install(TARGETS TarnClient EXPORT TarnClientTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(WIN32)
  # What a Visual Studio project links, and the exports it was made from.
  install(FILES ${TARN_MSVC_IMPORT_LIBRARY} ${PROJECT_SOURCE_DIR}/frame/TarnClient.def
          DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()
# The client library loads it; hosts never link it themselves.
install(TARGETS XMLParser
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})

foreach(tool tarn tarn-devserver)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
if(TARGET tarn-devserver)
  install(FILES ${PROJECT_SOURCE_DIR}/tools/devserver/README.md
          DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME tarn-devserver.md)
endif()

install(EXPORT TarnClientTargets NAMESPACE TarnClient:: DESTINATION ${TARN_CMAKE_PACKAGE_DIR})
file(WRITE ${PROJECT_BINARY_DIR}/install/TarnClientConfig.cmake.in [=[
# find_package(TarnClient) gives the imported target TarnClient::TarnClient:
# the library and its one public header, <tarnclient/TarnClient.h>.
@PACKAGE_INIT@

include("${CMAKE_CURRENT_LIST_DIR}/TarnClientTargets.cmake")
check_required_components(TarnClient)
]=])
configure_package_config_file(${PROJECT_BINARY_DIR}/install/TarnClientConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/install/TarnClientConfig.cmake
                              INSTALL_DESTINATION ${TARN_CMAKE_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/install/TarnClientConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/install/TarnClientConfig.cmake
              ${PROJECT_BINARY_DIR}/install/TarnClientConfigVersion.cmake
        DESTINATION ${TARN_CMAKE_PACKAGE_DIR})

# pkg-config finds its prefix from where the file lies, so the package can
# be moved after installation.
file(RELATIVE_PATH tarn_pc_to_prefix ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/install/tarnclient.pc @ONLY CONTENT [=[
prefix=${pcfiledir}/@tarn_pc_to_prefix@
libdir=${prefix}/@CMAKE_INSTALL_LIBDIR@
includedir=${prefix}/@CMAKE_INSTALL_INCLUDEDIR@

Name: TarnClient
Description: Client library of the Tarn platform: server lookups and login tickets
Version: @PROJECT_VERSION@
Libs: -L${libdir} -lTarnClient
Cflags: -I${includedir}
]=])
install(FILES ${PROJECT_BINARY_DIR}/install/tarnclient.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
