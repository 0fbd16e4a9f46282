# qs_add_fuzz_target(<name> SOURCE <file> [LIBS <targets>...] CORPUS <folder>)
#
# <file> defines LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) and returns 0; it aborts
# (or lets a sanitizer stop it) on a fault. This builds, for any parser:
#   <name>_replay   always: the target linked with replay_main.cpp, which runs it once on every
#                   file of the folders it is given. Registered with CTest as "<name>.corpus",
#                   running every file of <folder> (the seed corpus under fuzz/corpus/).
#   <name>          with QS_FUZZ=ON only: a libFuzzer binary (clang, -fsanitize=fuzzer plus
#                   address and undefined), run by hand, e.g.
#                     build-fuzz/bin/<name> -max_total_time=60 fuzz/corpus/<corpus-folder>
#                   Only the target's own source is instrumented for coverage; configure the
#                   whole tree with CMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link to guide the fuzzer
#                   through the libraries too.
#
# Example:
#   qs_add_fuzz_target(settings_ini_fuzz SOURCE settings_ini_fuzz.cpp LIBS tarvo_settings
#                      CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/settings_ini)

set(QS_FUZZ_REPLAY_MAIN ${CMAKE_CURRENT_LIST_DIR}/replay_main.cpp)

function(qs_add_fuzz_target name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "SOURCE;CORPUS" "LIBS")
  if(NOT arg_SOURCE OR NOT arg_CORPUS)
    message(FATAL_ERROR "qs_add_fuzz_target(${name}): SOURCE and CORPUS are required")
  endif()
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "qs_add_fuzz_target(${name}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()

  add_executable(${name}_replay ${arg_SOURCE} ${QS_FUZZ_REPLAY_MAIN})
  target_link_libraries(${name}_replay PRIVATE ${arg_LIBS})
  add_test(NAME ${name}.corpus COMMAND ${name}_replay ${arg_CORPUS})
  set_tests_properties(${name}.corpus PROPERTIES LABELS fuzz)

  if(QS_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
      message(FATAL_ERROR "QS_FUZZ=ON needs clang (configure with -DCMAKE_CXX_COMPILER=clang++)")
    endif()
    add_executable(${name} ${arg_SOURCE})
    target_link_libraries(${name} PRIVATE ${arg_LIBS})
    if(QS_SANITIZE STREQUAL "")
      set(qs_fuzz_flags -fsanitize=fuzzer,address,undefined)
    else()
      set(qs_fuzz_flags -fsanitize=fuzzer)
    endif()
    target_compile_options(${name} PRIVATE ${qs_fuzz_flags})
    target_link_options(${name} PRIVATE ${qs_fuzz_flags})
  endif()
endfunction()
