# find_package(TarnClient) for the Windows SDK gives the imported target
# TarnClient::TarnClient: the one public header, <tarnclient/TarnClient.h>,
# and the library of the width being built (bin/x86 or bin/x64), linked
# through the import library of the host's compiler: TarnClient.lib for
# Visual Studio and clang-cl, libTarnClient.dll.a for MinGW g++ and clang.
# A width the SDK does not ship is refused with the reason.
get_filename_component(_tarn_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_tarn_arch x64)
  set(_tarn_bits 64)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(_tarn_arch x86)
  set(_tarn_bits 32)
else()
  set(TarnClient_FOUND FALSE)
  set(TarnClient_NOT_FOUND_MESSAGE
      "TarnClient needs an enabled C or C++ language to know the width of the build (x86 or x64).")
  return()
endif()

if(MSVC OR CMAKE_CXX_SIMULATE_ID STREQUAL "MSVC" OR CMAKE_C_SIMULATE_ID STREQUAL "MSVC")
  set(_tarn_implib TarnClient.lib)
else()
  set(_tarn_implib libTarnClient.dll.a)
endif()

set(_tarn_dll "${_tarn_prefix}/bin/${_tarn_arch}/TarnClient.dll")
set(_tarn_lib "${_tarn_prefix}/lib/${_tarn_arch}/${_tarn_implib}")
if(NOT EXISTS "${_tarn_dll}" OR NOT EXISTS "${_tarn_lib}")
  file(GLOB _tarn_shipped RELATIVE "${_tarn_prefix}/bin" "${_tarn_prefix}/bin/x*/TarnClient.dll")
  list(TRANSFORM _tarn_shipped REPLACE "/.*" "")
  list(JOIN _tarn_shipped " and " _tarn_shipped)
  if(NOT _tarn_shipped)
    set(_tarn_shipped "no width at all")
  endif()
  set(TarnClient_FOUND FALSE)
  string(CONCAT TarnClient_NOT_FOUND_MESSAGE
    "this TarnClient SDK (${_tarn_prefix}) has no ${_tarn_arch} library, which a ${_tarn_bits}-bit build needs "
    "(bin/${_tarn_arch}/TarnClient.dll, lib/${_tarn_arch}/${_tarn_implib}): it ships ${_tarn_shipped}. "
    "Build for a width it ships, or use the SDK that holds both.")
  return()
endif()

if(NOT TARGET TarnClient::TarnClient)
  add_library(TarnClient::TarnClient SHARED IMPORTED)
  set_target_properties(TarnClient::TarnClient PROPERTIES
    IMPORTED_LOCATION "${_tarn_dll}"
    IMPORTED_IMPLIB "${_tarn_lib}"
    INTERFACE_INCLUDE_DIRECTORIES "${_tarn_prefix}/include")
endif()
