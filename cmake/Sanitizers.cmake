# Instrumentation applied to every target of the build, so a fault in a library shows
# up in whichever test or program reaches it.

option(VELMORA_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(VELMORA_FUZZ "Build the libFuzzer targets of fuzz/ (clang only)" OFF)

if(VELMORA_SANITIZE)
  # Undefined behaviour must stop the test that hits it, not scroll past as a warning.
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(VELMORA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(WARNING "VELMORA_FUZZ needs clang (libFuzzer); the compiler is "
                    "${CMAKE_CXX_COMPILER_ID}, so no fuzz targets are built. "
                    "Configure with CC=clang CXX=clang++ (scripts/fuzz does).")
    set(VELMORA_FUZZ OFF)
  else()
    # Coverage feedback must reach the libraries under test, not only the targets;
    # the libFuzzer main is linked into the fuzz targets alone (fuzz/CMakeLists.txt).
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()
