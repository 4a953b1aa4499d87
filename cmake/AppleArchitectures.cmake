# The architectures of a Mac build, unless chosen (-DCMAKE_OSX_ARCHITECTURES, or the variable in
# the environment): those of the Qt the shell links, so that a universal Qt (Qt's own installer)
# gives one app for Apple silicon and Intel Macs and a single-architecture one (Homebrew's) a
# build for this Mac that links. Without the shell, CMake's default: this Mac's architecture.
# Set after project(): it reaches every target made from here on, and the compiler checks need
# nothing but this Mac's own architecture.
if(DEFINED CMAKE_OSX_ARCHITECTURES AND NOT CMAKE_OSX_ARCHITECTURES STREQUAL "")
  return()
endif()
if(DEFINED ENV{CMAKE_OSX_ARCHITECTURES} OR NOT LUMIVANE_SHELL)
  return()
endif()

find_package(Qt6 REQUIRED COMPONENTS Core)
get_target_property(qt_configurations Qt6::Core IMPORTED_CONFIGURATIONS)
set(qt_core "")
foreach(configuration IN LISTS qt_configurations)
  get_target_property(qt_core Qt6::Core IMPORTED_LOCATION_${configuration})
  if(qt_core)
    break()
  endif()
endforeach()
find_program(LUMIVANE_LIPO lipo)
if(NOT qt_core OR NOT LUMIVANE_LIPO)
  message(STATUS "Architectures: this Mac's (the Qt library or lipo was not found)")
  return()
endif()
execute_process(
  COMMAND ${LUMIVANE_LIPO} -archs ${qt_core}
  OUTPUT_VARIABLE qt_architectures
  OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE lipo_failed)
if(lipo_failed OR qt_architectures STREQUAL "")
  message(STATUS "Architectures: this Mac's (lipo cannot read ${qt_core})")
  return()
endif()
string(REPLACE " " ";" qt_architectures "${qt_architectures}")
list(SORT qt_architectures)
set(CMAKE_OSX_ARCHITECTURES "${qt_architectures}")
message(STATUS "Architectures: ${qt_architectures}, as the Qt at ${qt_core}")
