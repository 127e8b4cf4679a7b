# Settings every target of the project shares, carried by one interface target.
add_library(mokoa_build_options INTERFACE)
target_compile_features(mokoa_build_options INTERFACE cxx_std_20)
target_compile_options(mokoa_build_options INTERFACE
  $<$<COMPILE_LANGUAGE:CXX,C>:-Wall -Wextra>)
if(MOKOA_SANITIZE OR MOKOA_FUZZ)
  target_compile_options(mokoa_build_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(mokoa_build_options INTERFACE -fsanitize=address,undefined)
endif()
# Fuzz builds instrument every target for coverage; only the fuzz targets link the engine.
if(MOKOA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR NOT CMAKE_C_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "MOKOA_FUZZ needs clang: -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14")
  endif()
  target_compile_options(mokoa_build_options INTERFACE -fsanitize=fuzzer-no-link)
  # The engines' convention: code may relax checks that fuzzed inputs cannot pass.
  target_compile_definitions(mokoa_build_options INTERFACE FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION)
endif()

# mokoa_library(NAME SOURCES... [DEPS libs...]): a static core library whose public
# headers are included as "<folder>/<header>.h" from the source root.
function(mokoa_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC mokoa_build_options ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()
