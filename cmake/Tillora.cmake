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

# tillora_check_links(TARGET ALLOWED <targets...>)
# Fails the configure step when TARGET links (directly, or through one of our libraries) anything
# outside ALLOWED: a lower layer that must stay without Gui and Widgets says so here, so that a
# stray dependency is a build error rather than a comment that went stale. Checked once the whole
# project is read, so links added later in other folders count too.
function(tillora_check_links target)
  cmake_parse_arguments(ARG "" "" "ALLOWED" ${ARGN})
  list(JOIN ARG_ALLOWED " " allowed)
  cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY \"${PROJECT_SOURCE_DIR}\" CALL _tillora_check_links_now ${target} ${allowed})")
endfunction()

function(_tillora_check_links_now target)
  set(allowed ${ARGN})
  set(pending ${target})
  set(seen "")
  while(pending)
    list(POP_FRONT pending current)
    if(current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${current})
    set(links "")
    foreach(prop LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(value ${current} ${prop})
      if(value)
        list(APPEND links ${value})
      endif()
    endforeach()
    foreach(lib IN LISTS links)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
      if(NOT TARGET ${lib})
        continue()  # a system library such as dl
      endif()
      if(NOT lib IN_LIST allowed)
        message(FATAL_ERROR "${target} may link only ${allowed}; it reaches ${lib} through ${current}")
      endif()
      get_target_property(imported ${lib} IMPORTED)
      if(NOT imported)
        list(APPEND pending ${lib})
      endif()
    endforeach()
  endwhile()
endfunction()
