# Installation of the header, the libraries, the tools and the CMake package.
#
#   cmake --install build/linux --prefix /opt/tarn
#
# gives include/tarnclient/TarnClient.h, the TarnClient and XMLParser
# libraries, tarn and tarn-devserver with their manual pages, the README,
# the licence, the samples and the HTML reference, a CMake package
# (find_package(TarnClient) -> TarnClient::TarnClient) and a pkg-config file
# (tarnclient.pc).
#
# Components (cmake --install ... --component NAME):
#   runtime      the shared libraries (the versioned files), README, licence
#   development  headers, development symlink or import library, CMake and
#                pkg-config files, samples, HTML reference
#   tools        tarn, tarn-devserver, their manual pages
#   debug        installed only when named: the debug information split off
#                the installed binaries, in a .debug folder beside them,
#                where gdb looks for it by the binary's debug link
# The packages hold what an install without --component gives.
#
# A Windows SDK holds both widths: each build installs its binaries into
# bin/x86 or bin/x64 and its import libraries into lib/x86 or lib/x64 of the
# same prefix, beside one header, one .def and one CMake package that picks
# the width and import library of the host being built.

if(WIN32)
  set(CMAKE_INSTALL_BINDIR bin/${TARN_WINDOWS_ARCH})
  set(CMAKE_INSTALL_LIBDIR lib/${TARN_WINDOWS_ARCH})
endif()
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Debian names the documentation folder after the package, in lower case; a
# Windows SDK keeps README and licence at its top.
if(WIN32)
  set(TARN_CMAKE_PACKAGE_DIR lib/cmake/TarnClient)
  set(TARN_INSTALL_DOCDIR .)
else()
  set(TARN_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/TarnClient)
  set(TARN_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/tarnclient)
endif()

# libTarnClient.so.1 -> libTarnClient.so.1.x.y: the major version is the
# binary interface's. The XML parser library is versioned with it, since the
# client library is the only program that loads it.
if(NOT WIN32)
  foreach(lib TarnClient XMLParser)
    set_target_properties(${lib} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
  endforeach()
endif()

# Installed programs and libraries find their libraries beside them or in
# the library folder, wherever the prefix is. They carry the same run-time
# path in the build tree, where everything lies in bin/: a path CMake
# rewrites at install time would carry an empty element there, which the
# loader reads as the current folder.
if(NOT WIN32)
  file(RELATIVE_PATH tarn_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(TarnClient PROPERTIES INSTALL_RPATH "$ORIGIN" BUILD_WITH_INSTALL_RPATH ON)
  foreach(tool tarn tarn-devserver)
    if(TARGET ${tool})
      set_target_properties(${tool} PROPERTIES INSTALL_RPATH "$ORIGIN/${tarn_bin_to_lib}:$ORIGIN"
                                               BUILD_WITH_INSTALL_RPATH ON)
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

# tarn_install_stripped(TARGET DESTINATION COMPONENT)
# The build copies the target's debug information to debug/TARGET.debug;
# installing the target strips the installed copy and links it to that file,
# which the debug component installs.
set(tarn_debug_files "")
function(tarn_install_stripped target destination component)
  if(NOT CMAKE_OBJCOPY)
    message(WARNING "No objcopy: ${target} is installed with its debug information")
    return()
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(strip --strip-all)
  else()
    set(strip --strip-unneeded) # keeps what the dynamic linker needs
  endif()
  set(debug_file ${PROJECT_BINARY_DIR}/debug/${target}.debug)
  add_custom_command(OUTPUT ${debug_file}
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${debug_file}
    DEPENDS ${target} VERBATIM)
  set(tarn_debug_files ${tarn_debug_files} ${debug_file} PARENT_SCOPE)
  install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" ${strip} \"--add-gnu-debuglink=${debug_file}\"
                  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/$<TARGET_FILE_NAME:${target}>\"
                  COMMAND_ERROR_IS_FATAL ANY)"
          COMPONENT ${component})
  install(FILES ${debug_file} DESTINATION ${destination}/.debug COMPONENT debug EXCLUDE_FROM_ALL)
endfunction()

install(FILES ${PROJECT_SOURCE_DIR}/include/tarnclient/TarnClient.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tarnclient COMPONENT development)

install(TARGETS TarnClient EXPORT TarnClientTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(WIN32)
  # What a Visual Studio project links, and the exports it was made from
  # (the same for both widths).
  install(FILES ${TARN_MSVC_IMPORT_LIBRARY} DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
  install(FILES ${PROJECT_SOURCE_DIR}/frame/TarnClient.def DESTINATION lib COMPONENT development)
endif()
# The client library loads it; hosts never link it themselves, so it has no
# development symlink, and its import library stays out of every component.
install(TARGETS XMLParser
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_SKIP
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT none EXCLUDE_FROM_ALL)
if(WIN32)
  tarn_install_stripped(TarnClient ${CMAKE_INSTALL_BINDIR} runtime)
  tarn_install_stripped(XMLParser ${CMAKE_INSTALL_BINDIR} runtime)
else()
  tarn_install_stripped(TarnClient ${CMAKE_INSTALL_LIBDIR} runtime)
  tarn_install_stripped(XMLParser ${CMAKE_INSTALL_LIBDIR} runtime)
endif()
# The SDK has a README of its own, for a host developer who holds only the
# zip; the .deb the repository's. The samples both show come along (Debian's
# place for them is examples/ in the documentation folder).
if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/sdk/README.md ${PROJECT_SOURCE_DIR}/LICENSE
          DESTINATION ${TARN_INSTALL_DOCDIR} COMPONENT runtime)
  set(tarn_samples_dir samples)
else()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
          DESTINATION ${TARN_INSTALL_DOCDIR} COMPONENT runtime)
  set(tarn_samples_dir ${TARN_INSTALL_DOCDIR}/examples)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/samples/ DESTINATION ${tarn_samples_dir} COMPONENT development)

foreach(tool tarn tarn-devserver)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
    tarn_install_stripped(${tool} ${CMAKE_INSTALL_BINDIR} tools)
  endif()
endforeach()
add_custom_target(tarn_debug_info ALL DEPENDS ${tarn_debug_files})
if(TARGET tarn-devserver)
  install(FILES ${PROJECT_SOURCE_DIR}/tools/devserver/README.md
          DESTINATION ${TARN_INSTALL_DOCDIR} RENAME tarn-devserver.md COMPONENT tools)
endif()

# Manual pages, compressed as Debian installs them. Windows has no man.
if(NOT WIN32)
  set(man_pages "")
  foreach(page tarn/tarn.1 devserver/tarn-devserver.1)
    get_filename_component(name ${page} NAME)
    string(REGEX REPLACE "\\.1$" "" tool ${name})
    if(TARGET ${tool})
      # The page's header carries the project's version.
      configure_file(${PROJECT_SOURCE_DIR}/tools/${page} ${PROJECT_BINARY_DIR}/man/${name} @ONLY)
      set(packed ${PROJECT_BINARY_DIR}/man/${name}.gz)
      add_custom_command(OUTPUT ${packed}
        COMMAND gzip -9 -n -c ${PROJECT_BINARY_DIR}/man/${name} > ${packed}
        DEPENDS ${PROJECT_BINARY_DIR}/man/${name})
      list(APPEND man_pages ${packed})
    endif()
  endforeach()
  if(man_pages)
    add_custom_target(tarn_man_pages ALL DEPENDS ${man_pages})
    install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tools)
  endif()
endif()

if(WIN32)
  # One package for both widths, which each build installs alike; it checks
  # the width itself, so the version file does not.
  configure_file(${PROJECT_SOURCE_DIR}/cmake/TarnClientConfig-windows.cmake
                 ${PROJECT_BINARY_DIR}/install/TarnClientConfig.cmake COPYONLY)
  set(arch_independent ARCH_INDEPENDENT)
else()
  install(EXPORT TarnClientTargets NAMESPACE TarnClient:: DESTINATION ${TARN_CMAKE_PACKAGE_DIR}
          COMPONENT development)
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
  set(arch_independent "")
endif()
write_basic_package_version_file(${PROJECT_BINARY_DIR}/install/TarnClientConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion ${arch_independent})
install(FILES ${PROJECT_BINARY_DIR}/install/TarnClientConfig.cmake
              ${PROJECT_BINARY_DIR}/install/TarnClientConfigVersion.cmake
        DESTINATION ${TARN_CMAKE_PACKAGE_DIR} COMPONENT development)

# pkg-config finds its prefix from where the file lies, so the package can
# be moved after installation. It gives no run-time path: see the README.
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
install(FILES ${PROJECT_BINARY_DIR}/install/tarnclient.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT development)

include(${CMAKE_CURRENT_LIST_DIR}/TarnInstallBindings.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/TarnReference.cmake)
