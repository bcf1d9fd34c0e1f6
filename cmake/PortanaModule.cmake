# portana_add_module(<name> SOURCES ... LINKS ...)
# One static library per folder; the folder is its public include path, so a
# header of a layer that is not linked cannot be included.
function(portana_add_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS} portana_warnings)
endfunction()

# portana_add_test(<name> <source> LINKS ...)
# A Qt Test executable under CTest, offscreen and with a fixed locale.
function(portana_add_test name source)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE Qt6::Test portana_testsupport ${ARG_LINKS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;LANG=ja_JP.UTF-8;LC_ALL=C.UTF-8;TZ=Asia/Tokyo;QT_LOGGING_RULES=qt.qpa.*=false")
endfunction()
