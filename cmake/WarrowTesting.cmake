# warrow_add_test(<name> SOURCES ... [LIBS ...] [ENVIRONMENT K=V ...] [QT] [TIMEOUT s])
#
# Registers one GoogleTest program with the environment every test needs:
# a UTF-8 locale, Qt on the offscreen platform, the source and binary roots
# and a private scratch folder (WARROW_TEST_SCRATCH, made here, one per test
# program, so programs that run at the same time never share files). No test
# can forget these. Under the sanitizer build the sanitizers' options come
# along too.
function(warrow_add_test name)
  cmake_parse_arguments(T "QT" "TIMEOUT" "SOURCES;LIBS;ENVIRONMENT;DEPENDS" ${ARGN})
  find_package(GTest REQUIRED)
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE warrow_build_options GTest::gtest GTest::gmock GTest::gtest_main ${T_LIBS})
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set(scratch ${CMAKE_CURRENT_BINARY_DIR}/scratch/${name})
  file(MAKE_DIRECTORY ${scratch})
  # Tests run as root on machines without logind: let the suite's programs
  # start there as the test's user (a test of the refusal clears it).
  set(environment LANG=C.UTF-8 LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen WARROW_TEST_START_AS_ROOT=1
      WARROW_SOURCE_DIR=${PROJECT_SOURCE_DIR}
      WARROW_BINARY_DIR=${PROJECT_BINARY_DIR} WARROW_TEST_SCRATCH=${scratch} ${WARROW_SANITIZER_TEST_ENVIRONMENT}
      ${T_ENVIRONMENT})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${environment}")
endfunction()
