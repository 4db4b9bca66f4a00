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

# $<LINK_LIBRARY:KEEP_NEEDED,lib>: lib stays a dependency of what links it
# even where no symbol of it is named (the linker drops such libraries
# otherwise), so the loader loads and unloads it with its user.
if(NOT WIN32)
  set(CMAKE_LINK_LIBRARY_USING_KEEP_NEEDED "LINKER:--push-state,--no-as-needed" "<LINK_ITEM>" "LINKER:--pop-state")
  set(CMAKE_LINK_LIBRARY_USING_KEEP_NEEDED_SUPPORTED TRUE)
endif()

# Hardening of every binary the project builds.
if(WIN32)
  # Any MinGW toolchain: load anywhere (ASLR, with the relocations it needs)
  # and never run data (NX); high-entropy ASLR where the address space has room.
  add_link_options(-Wl,--dynamicbase -Wl,--nxcompat)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_link_options(-Wl,--high-entropy-va)
  endif()
else()
  # Position-independent executables, stack canaries, and relocations made
  # read-only once resolved, all at start.
  include(CheckPIESupported)
  check_pie_supported()
  add_compile_options(-fstack-protector-strong)
  add_link_options(-Wl,-z,relro,-z,now)
  # The fortified library calls need the optimiser, and the sanitizers
  # (fuzzing's included) check those calls their own way.
  if(NOT TARN_SANITIZE AND NOT TARN_BUILD_FUZZ)
    add_compile_definitions($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
  endif()
endif()
