# One library per source folder: every .cpp in the folder (not below it) is
# part of it, so adding a unit needs no edit here.
function(tolv_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB _hdr CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  # A program's entry point lives beside its units but is not one of them.
  list(FILTER _src EXCLUDE REGEX "/main\\.cpp$")
  if(_src)
    add_library(${name} STATIC ${_src} ${_hdr})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# A library of named units of one folder, for a folder that holds more than
# one layer: each unit is its .cpp (when it has one) and its .h.
function(tolv_units name)
  cmake_parse_arguments(ARG "" "" "UNITS;DEPS" ${ARGN})
  set(_src)
  foreach(u ${ARG_UNITS})
    foreach(ext cpp h)
      if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${u}.${ext})
        list(APPEND _src ${CMAKE_CURRENT_SOURCE_DIR}/${u}.${ext})
      endif()
    endforeach()
  endforeach()
  add_library(${name} STATIC ${_src})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# One test program per test folder; ctest sees every GoogleTest case.
# EXCLUDE names files of the folder that a shared test library builds instead.
function(tolv_test name)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(f ${ARG_EXCLUDE})
    list(REMOVE_ITEM _src ${CMAKE_CURRENT_SOURCE_DIR}/${f})
  endforeach()
  if(NOT _src)
    return()
  endif()
  add_executable(${name} ${_src})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} tolv_test_main tolv_test_support GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    TOLV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TOLV_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  include(GoogleTest)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    # One variable only: the discovery splits a list of them at its
    # semicolons and would take the rest for property names.
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               TIMEOUT 300)
endfunction()

# Fails the configuration when a library reaches a forbidden one through its
# links: the logic libraries must build and test without a display.
function(_tolv_links_of target out)
  set(_seen ${${out}})
  get_target_property(_type ${target} TYPE)
  if(_type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(_libs ${target} INTERFACE_LINK_LIBRARIES)
  else()
    get_target_property(_libs ${target} LINK_LIBRARIES)
  endif()
  foreach(l ${_libs})
    if(TARGET ${l} AND NOT l IN_LIST _seen)
      list(APPEND _seen ${l})
      get_target_property(_imported ${l} IMPORTED)
      if(NOT _imported)
        _tolv_links_of(${l} _seen)
      endif()
    endif()
  endforeach()
  set(${out} ${_seen} PARENT_SCOPE)
endfunction()

function(tolv_forbid_links)
  cmake_parse_arguments(ARG "" "" "TARGETS;FORBIDDEN" ${ARGN})
  foreach(t ${ARG_TARGETS})
    if(NOT TARGET ${t})
      continue()
    endif()
    set(_all)
    _tolv_links_of(${t} _all)
    foreach(f ${ARG_FORBIDDEN})
      if(f IN_LIST _all)
        message(FATAL_ERROR "${t} links ${f}, which its layer must not use")
      endif()
    endforeach()
  endforeach()
endfunction()
