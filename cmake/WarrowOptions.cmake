# One interface target carries the language standard, warnings, hardening and
# the include root; every target of the project links it.
add_library(warrow_build_options INTERFACE)
target_compile_features(warrow_build_options INTERFACE cxx_std_20)
target_include_directories(warrow_build_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(warrow_build_options INTERFACE
  -Wall -Wextra -Wpedantic
  -fstack-protector-strong
  $<$<BOOL:${WARROW_WERROR}>:-Werror>)
target_compile_definitions(warrow_build_options INTERFACE
  $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>
  QT_NO_CAST_FROM_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  WARROW_VERSION_TEXT="${PROJECT_VERSION_MAJOR}_${PROJECT_VERSION_MINOR}_${PROJECT_VERSION_PATCH}_0")
if(WARROW_SANITIZE)
  target_compile_options(warrow_build_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(warrow_build_options INTERFACE -fsanitize=address,undefined)
  # Every test (and every program a test starts) runs with these; leaks that
  # live inside system libraries are suppressed, each with its reason, in
  # tests/sanitizers/lsan.supp.
  set(WARROW_SANITIZER_TEST_ENVIRONMENT
    "ASAN_OPTIONS=detect_leaks=1:detect_odr_violation=1:strict_init_order=1"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/sanitizers/lsan.supp:print_suppressions=0"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endif()

# Rebuilds of the same sources (another build folder, another checkout of the
# tree, the next CI run) come from ccache when it is installed. Paths are made
# relative to the source root so checkouts in different folders share entries.
find_program(WARROW_CCACHE ccache)
if(WARROW_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(warrow_launcher ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR} CCACHE_NOHASHDIR=true
      CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime ${WARROW_CCACHE})
  set(CMAKE_C_COMPILER_LAUNCHER ${warrow_launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${warrow_launcher})
endif()

set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

# Adds every subfolder of the current folder that has a CMakeLists.txt, so a
# new tool, benchmark or helper needs no edit of its parent.
function(warrow_add_existing_subdirectories)
  file(GLOB entries LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(dir ${entries})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
