# Test helpers.
#   qw_add_test(NAME n SOURCES ... LIBS ... [PURE] [GUI] [PPI p])
#     Windows build: a GoogleTest executable run by CTest under Wine (one CTest entry per executable).
#     PPI: run under a second Wine prefix whose screen has p pixels per inch (scripts/wine-ppi.sh).
#     PURE: also built and run natively (sanitizers) in the native build; in the native build only PURE tests exist.
#     GUI: drives real windows; such tests run one at a time so focus and the mouse are theirs.
#   qw_add_fuzzer(NAME n SOURCES ... LIBS ... [SECONDS s])
#     Native build with clang only: a libFuzzer target, run for a bounded time as a CTest entry.
enable_testing()

macro(qw_setup_gtest)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endmacro()

function(qw_add_test)
  cmake_parse_arguments(T "PURE;GUI" "NAME;TIMEOUT;PPI" "SOURCES;LIBS" ${ARGN})
  if(NOT QW_WINDOWS AND NOT T_PURE)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  qw_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gmock gtest)
  target_include_directories(${T_NAME} PRIVATE ${QW_ROOT})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(QW_WINDOWS)
    if(NOT T_LIBS MATCHES "qw_testmain")
      target_link_libraries(${T_NAME} PRIVATE qw_testmain)
    endif()
    if(T_PPI)
      # The first run makes the prefix (a minute or so).
      add_test(NAME ${T_NAME} COMMAND ${QW_ROOT}/scripts/wine-ppi.sh ${T_PPI} $<TARGET_FILE:${T_NAME}>)
      if(NOT T_TIMEOUT OR T_TIMEOUT LESS 600)
        set(T_TIMEOUT 600)
      endif()
    else()
      add_test(NAME ${T_NAME} COMMAND wine $<TARGET_FILE:${T_NAME}>)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS windows
      ENVIRONMENT "QW_ARTIFACTS=${QW_ARTIFACTS};QW_ROOT=${QW_ROOT}")
    if(T_GUI)
      set_tests_properties(${T_NAME} PROPERTIES RUN_SERIAL TRUE LABELS "windows;gui")
    endif()
  else()
    target_link_libraries(${T_NAME} PRIVATE gtest_main)
    add_test(NAME native_${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(native_${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS native
      ENVIRONMENT "QW_ARTIFACTS=${QW_ARTIFACTS};QW_ROOT=${QW_ROOT}")
  endif()
endfunction()

function(qw_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(QW_WINDOWS OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    return()
  endif()
  if(NOT F_SECONDS)
    set(F_SECONDS 20)
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_include_directories(${F_NAME} PRIVATE ${QW_ROOT})
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  set(corpus ${CMAKE_BINARY_DIR}/fuzz-corpus/${F_NAME})
  file(MAKE_DIRECTORY ${corpus})
  # One input running 25 s is a hang: libFuzzer stops there and writes the input out, well
  # before CTest's timeout would end the run without it.
  add_test(NAME fuzz_${F_NAME}
    COMMAND ${F_NAME} -max_total_time=${F_SECONDS} -timeout=25 -print_final_stats=0 -rss_limit_mb=2048 ${corpus})
  math(EXPR tmo "${F_SECONDS} + 120")
  set_tests_properties(fuzz_${F_NAME} PROPERTIES TIMEOUT ${tmo} LABELS fuzz)
endfunction()
