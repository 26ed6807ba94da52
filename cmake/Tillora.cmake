# What each library may link: the layers below it (ours, by folder name) and the outside
# libraries it uses. A link outside its list stops the configuration, so the layering holds by
# build rather than by comment. platform, templates, values, data and spreadsheet get Qt Core
# alone: without Gui or Widgets on their include path, a widget header there does not compile.
set(tillora_links_platform Qt6::Core ${CMAKE_DL_LIBS})
set(tillora_links_templates platform Qt6::Core)
set(tillora_links_values platform Qt6::Core)
set(tillora_links_data platform Qt6::Core SQLite::SQLite3)
set(tillora_links_spreadsheet platform Qt6::Core)
set(tillora_links_forms templates values platform Qt6::Core Qt6::Gui Qt6::Widgets PNG::PNG)
set(tillora_links_print forms templates values platform Qt6::Core Qt6::Gui Qt6::Widgets)
set(tillora_links_sales print forms formset values data platform Qt6::Core Qt6::Gui Qt6::Widgets)
set(tillora_links_settings print forms formset values data platform spreadsheet
  Qt6::Core Qt6::Gui Qt6::Widgets)
set(tillora_links_records sales print forms formset values data platform spreadsheet
  Qt6::Core Qt6::Gui Qt6::Widgets)
set(tillora_links_app records settings sales print forms formset values data platform
  Qt6::Core Qt6::Gui Qt6::Widgets)
# The print module builds against print/'s interfaces but links Qt alone (it is loaded at run
# time into a program that has print/ already).
set(tillora_links_printsupport print Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport)

# Stops the configuration when tillora_<name> would link something its layer may not use.
function(tillora_check_links name)
  if(NOT DEFINED tillora_links_${name})
    message(FATAL_ERROR "tillora_${name}: no entry in the layering table (cmake/Tillora.cmake)")
  endif()
  foreach(dep IN LISTS ARGN)
    set(allowed FALSE)
    foreach(ok IN LISTS tillora_links_${name})
      if(dep STREQUAL ok OR dep STREQUAL "tillora_${ok}")
        set(allowed TRUE)
      endif()
    endforeach()
    if(NOT allowed)
      message(FATAL_ERROR "tillora_${name} may not link ${dep}: its layer allows "
        "${tillora_links_${name}} (cmake/Tillora.cmake)")
    endif()
  endforeach()
endfunction()

# tillora_library(NAME DEPENDS <targets...>)
# Builds the static library tillora_<NAME> from every .cpp/.h in the calling folder
# (files added later are picked up at the next build). DEPENDS must keep to the layering table.
function(tillora_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;EXCLUDE" ${ARGN})
  tillora_check_links(${name} ${ARG_DEPENDS})
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
# One test executable per folder of tests/, from every .cpp in it. It links the libraries it
# tests and the pieces of tests/support their layer can use, nothing above.
function(tillora_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    return()
  endif()
  set(support tillora_test_support)
  set(main tillora_test_main)
  foreach(lib IN LISTS ARG_LIBS)
    if(lib MATCHES "^tillora_(data|print|sales|records|settings|app)$")
      list(APPEND support tillora_test_server)
    endif()
    if(lib MATCHES "^tillora_(forms|print|sales|records|settings|app)$")
      list(APPEND support tillora_test_windows)
      if(NOT main STREQUAL tillora_test_main_print)
        set(main tillora_test_main_forms)
      endif()
    endif()
    if(lib MATCHES "^tillora_(print|sales|records|settings|app)$")
      set(main tillora_test_main_print)
    endif()
  endforeach()
  # The program's own templates where the windows and the templates are both linked.
  if(tillora_test_windows IN_LIST support AND
     (tillora_formset IN_LIST ARG_LIBS OR ARG_LIBS MATCHES "tillora_(sales|records|settings|app)"))
    list(APPEND support tillora_test_templates)
  endif()
  list(APPEND support ${main})
  list(REMOVE_DUPLICATES support)
  add_executable(${name}_tests ${sources})
  target_link_libraries(${name}_tests PRIVATE tillora_flags ${ARG_LIBS} ${support} GTest::gtest GTest::gmock)
  # The printing tests print on the default queue: PRINTER names the test queue
  # (scripts/start_cups.sh) for them alone, leaving the machine's default as it is.
  gtest_discover_tests(${name}_tests
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT
      "QT_QPA_PLATFORM=offscreen;TILLORA_SOURCE_DIR=${PROJECT_SOURCE_DIR};PRINTER=TilloraPDF")
endfunction()
