# tillora_library(NAME DEPENDS <targets...>)
# Builds the static library tillora_<NAME> from every .cpp/.h in the calling folder
# (files added later are picked up at the next build).
function(tillora_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
    ${CMAKE_CURRENT_SOURCE_DIR}/*/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*/*.h)
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${ex})
  endforeach()
  if(NOT sources)
    # Nothing written yet: an empty interface keeps the dependants linking.
    add_library(tillora_${name} INTERFACE)
    target_link_libraries(tillora_${name} INTERFACE tillora_flags ${ARG_DEPENDS})
    return()
  endif()
  add_library(tillora_${name} STATIC ${sources})
  target_link_libraries(tillora_${name} PUBLIC tillora_flags ${ARG_DEPENDS})
endfunction()

# tillora_test(NAME LIBS <targets...>)
# One test executable per folder of tests/, from every .cpp in it.
function(tillora_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    return()
  endif()
  add_executable(${name}_tests ${sources})
  target_link_libraries(${name}_tests PRIVATE tillora_flags ${ARG_LIBS} tillora_test_support GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}_tests
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TILLORA_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
