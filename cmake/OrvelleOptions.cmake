# Warnings, sanitizers and the helper that declares a subsystem library.

add_library(orvelle_warnings INTERFACE)
target_compile_options(orvelle_warnings INTERFACE -Wall -Wextra)
if(ORVELLE_WERROR)
  target_compile_options(orvelle_warnings INTERFACE -Werror)
endif()

if(ORVELLE_SANITIZE)
  string(REPLACE " " "" _san "${ORVELLE_SANITIZE}")
  add_compile_options(-fsanitize=${_san} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=${_san})
endif()

# orvelle_library(<name> SOURCES ... [DEPS ...]) declares the static library of one folder. Sources
# may sit in sub-folders (one per backend or per effect); their headers are found by name.
function(orvelle_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  # The folder itself (interfaces, shared headers) and every sub-folder that holds a source.
  set(dirs ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(src IN LISTS ARG_SOURCES)
    cmake_path(GET src PARENT_PATH sub)
    if(sub)
      list(APPEND dirs ${CMAKE_CURRENT_SOURCE_DIR}/${sub})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES dirs)
  target_include_directories(${name} PUBLIC ${dirs})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE orvelle_warnings)
endfunction()

# orvelle_test(<name> LABEL unit|e2e SOURCES ... DEPS ...) builds one GoogleTest program
# and registers its cases with ctest under the given label.
function(orvelle_test name)
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;DEPS" ${ARGN})
  if(NOT ARG_LABEL)
    set(ARG_LABEL unit)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} orvelle_test_support GTest::gtest_main GTest::gmock orvelle_warnings)
  # The sanitizer stage of scripts/test runs the unit tests alone and builds only them.
  if(ARG_LABEL STREQUAL "unit")
    set_property(GLOBAL APPEND PROPERTY ORVELLE_SANITIZER_TARGETS ${name})
  endif()
  # One variable only: a list would be split apart on its way through test discovery. The
  # sanitizer options come from the environment of the ctest run (scripts/test sets them).
  gtest_discover_tests(${name}
    PROPERTIES LABELS ${ARG_LABEL} ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120
    DISCOVERY_TIMEOUT 60
    DISCOVERY_MODE PRE_TEST)
endfunction()
