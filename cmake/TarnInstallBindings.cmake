# Installation of the C interface's header and of the language bindings.
#
#   include/tarnclient/tarn.h     (component development, beside TarnClient.h)
#   Linux:   lib/python3/dist-packages/tarnclient/   the Python package, where
#            Debian's Python finds it for the prefix /usr (the .deb)
#   Windows: bindings/csharp/TarnClient.cs, and bindings/python/ ready for
#            `pip install bindings/python` (the SDK .zip)
# The bindings are the component `bindings`.

install(FILES ${PROJECT_SOURCE_DIR}/include/tarnclient/tarn.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tarnclient COMPONENT development)

set(tarn_python_package ${PROJECT_SOURCE_DIR}/bindings/python)
if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/bindings/csharp/TarnClient.cs DESTINATION bindings/csharp COMPONENT bindings)
  install(FILES ${tarn_python_package}/pyproject.toml ${tarn_python_package}/build_backend.py
          DESTINATION bindings/python COMPONENT bindings)
  install(DIRECTORY ${tarn_python_package}/tarnclient DESTINATION bindings/python COMPONENT bindings
          PATTERN __pycache__ EXCLUDE)
else()
  install(DIRECTORY ${tarn_python_package}/tarnclient DESTINATION lib/python3/dist-packages COMPONENT bindings
          PATTERN __pycache__ EXCLUDE)
endif()

# The Python package states the library's version; it must be the project's.
file(STRINGS ${tarn_python_package}/tarnclient/__init__.py tarn_python_version REGEX "^__version__ = ")
if(NOT tarn_python_version STREQUAL "__version__ = \"${PROJECT_VERSION}\"")
  message(FATAL_ERROR "bindings/python/tarnclient/__init__.py states ${tarn_python_version}, "
                      "but the project is ${PROJECT_VERSION}: update it")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${tarn_python_package}/tarnclient/__init__.py)
