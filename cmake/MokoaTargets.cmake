# Settings every target of the project shares, carried by one interface target.
add_library(mokoa_build_options INTERFACE)
target_compile_features(mokoa_build_options INTERFACE cxx_std_20)
target_compile_options(mokoa_build_options INTERFACE
  $<$<COMPILE_LANGUAGE:CXX,C>:-Wall -Wextra>)
if(MOKOA_SANITIZE)
  target_compile_options(mokoa_build_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(mokoa_build_options INTERFACE -fsanitize=address,undefined)
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
