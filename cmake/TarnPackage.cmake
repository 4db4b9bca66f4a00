# Packages, made by CPack from the install rules (cmake/TarnInstall.cmake):
#
#   Linux:   cpack --preset linux  ->  build/packages/tarnclient_<version>_amd64.deb
#   Windows: cpack --preset mingw  ->  build/packages/TarnClient-<version>-windows.zip
#
# (scripts/package builds the presets and runs both.) The .deb installs
# under /usr: library, header, CMake and pkg-config files, tools, manual
# pages and documentation. The .zip is the SDK a Visual Studio or MinGW
# project unpacks, for both widths: bin/x86 and bin/x64 (DLLs, tarn.exe),
# lib/x86 and lib/x64 (import libraries), lib/ (.def, CMake package),
# include/, html/ (the reference), samples/, its own README (sdk/README.md)
# and licence. It is the install of both Windows builds,
# mingw-x86 and mingw, whichever of them runs cpack. Both packages hold what
# `cmake --install` gives without --component: the debug component stays out.

set(CPACK_PACKAGE_NAME TarnClient)
set(CPACK_PACKAGE_VENDOR "the TarnClient developers")
set(CPACK_PACKAGE_CONTACT "TarnClient developers <tarnclient@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Client library of the Tarn platform: server lookups and login tickets")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "The library through which Tarn programs reach the address server and\n"
       "the customer servlets, with its header, CMake and pkg-config files,\n"
       "the sample host tarn and the local development server tarn-devserver.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_CHECKSUM SHA256)
# Packages go here unless cpack is told otherwise (-B, or the presets).
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_VERBATIM_VARIABLES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
  set(TARN_WINDOWS_SDK_BUILDS ${PROJECT_SOURCE_DIR}/build/mingw-x86 ${PROJECT_SOURCE_DIR}/build/mingw
      CACHE STRING "The Windows build trees, one per width, whose installs make the SDK")
  set(CPACK_INSTALL_CMAKE_PROJECTS "")
  foreach(build ${TARN_WINDOWS_SDK_BUILDS})
    list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${build} ${PROJECT_NAME} ALL /)
  endforeach()
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL OFF)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  # dpkg-shlibdeps works from the installed packages' own records: no
  # network. The package's own libraries are found in its library folder.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_INSTALL_LIBDIR})
  # A shlibs file, and ldconfig run on installation and removal so the
  # loader's cache knows the library at once.
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pkg-config, cmake")
endif()

include(CPack)
