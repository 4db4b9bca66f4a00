# Compiler settings shared by every target of the project.

function(tarn_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# Sanitizers, chosen by the presets.
set(TARN_SANITIZE "" CACHE STRING "Sanitizers to build with: address,undefined or thread")
if(TARN_SANITIZE)
  add_compile_options(-fsanitize=${TARN_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${TARN_SANITIZE})
endif()

if(WIN32)
  # A host needs only our DLLs: no MinGW run-time DLLs beside them.
  add_link_options(-static-libgcc -static-libstdc++ -static)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()
