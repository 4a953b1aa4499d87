# Fails when a file of one layer includes a layer it may not use. Run as
#   cmake -DROOT=<tree> -P CheckLayers.cmake
# over the project (or over a probe tree). Every source file under Sources/ and Apps/ (what
# ships) and Simulation/ (what only tests it) belongs to the layer of its folder, listed below; a
# file in no listed folder breaks the rule. An include names a layer by its include root
# ("Lumivane/DockObserver.hpp", "Shell/macOS/WindowNative.hpp"), or is Qt (<Q...>) or Apple
# (<AppKit/...>, any #import). Other includes (the standard library, a folder's own quoted
# neighbours, third-party C headers) are not layers and always allowed.

cmake_minimum_required(VERSION 3.25)

# Folder=layer, a folder before the folder that holds it. A layer is named by its include root.
set(layer_folders
  Sources/LumivaneCore=LumivaneCore
  Sources/Lumivane=Lumivane
  Sources/Shell/macOS=Shell/macOS
  Sources/Shell=Shell
  Sources/macOS=macOS
  Apps/LumivaneApp=LumivaneApp
  Simulation/Simulator=Simulator
  Simulation/Scenarios=Scenarios
  Simulation/lumivane-sim=lumivane-sim
)

# What each layer may include. Nothing that ships includes the simulation; the shell and the
# macOS adapters stand side by side over the services.
set(allowed_LumivaneCore LumivaneCore)
set(allowed_Lumivane LumivaneCore Lumivane)
set(allowed_Shell/macOS LumivaneCore Lumivane Shell/macOS Apple)
set(allowed_Shell LumivaneCore Lumivane Shell Shell/macOS Qt)
set(allowed_macOS LumivaneCore Lumivane macOS Apple)
set(allowed_LumivaneApp LumivaneCore Lumivane Shell macOS Qt Apple)
set(allowed_Simulator LumivaneCore Lumivane Simulator)
set(allowed_Scenarios LumivaneCore Lumivane Simulator Scenarios)
set(allowed_lumivane-sim LumivaneCore Lumivane Simulator Scenarios Shell Qt)

set(folders "")
set(layers "")
foreach(entry IN LISTS layer_folders)
  string(REPLACE "=" ";" pair "${entry}")
  list(GET pair 0 folder)
  list(GET pair 1 layer)
  list(APPEND folders ${folder})
  list(APPEND layers ${layer})
endforeach()
set(apple_frameworks AppKit Foundation ApplicationServices CoreGraphics CoreFoundation
                     ServiceManagement Carbon Cocoa os)

# The first of `candidates` that `path` starts with, followed by a slash; empty when none.
function(first_prefix path candidates result)
  set(found "")
  foreach(candidate IN LISTS candidates)
    string(FIND "${path}" "${candidate}/" at)
    if(at EQUAL 0)
      set(found ${candidate})
      break()
    endif()
  endforeach()
  set(${result} "${found}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/Sources/* ${ROOT}/Apps/* ${ROOT}/Simulation/*)
set(violations "")
foreach(file IN LISTS files)
  if(NOT file MATCHES "\\.(cpp|hpp|h|mm|m)$")
    continue()
  endif()
  first_prefix("${file}" "${folders}" folder)
  if(NOT folder)
    list(APPEND violations "${file}: its folder is in no layer")
    continue()
  endif()
  list(FIND folders ${folder} index)
  list(GET layers ${index} layer)
  if(file MATCHES "\\.(mm|m)$" AND NOT "Apple" IN_LIST allowed_${layer})
    list(APPEND violations "${file}: Objective-C in ${layer}")
  endif()
  file(STRINGS ${ROOT}/${file} lines REGEX "^[ \t]*#[ \t]*(include|import)")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "#[ \t]*(include|import)[ \t]*([<\"])([^>\"]+)" _ "${line}")
    set(directive ${CMAKE_MATCH_1})
    set(quote ${CMAKE_MATCH_2})
    set(path ${CMAKE_MATCH_3})
    string(REGEX MATCH "^[^/]+" first "${path}")
    set(used "")
    if(directive STREQUAL "import")
      set(used Apple)
    elseif(quote STREQUAL "\"")
      first_prefix("${path}" "${layers}" used)
    elseif(path MATCHES "^Q")
      set(used Qt)
    elseif(path MATCHES "/" AND first IN_LIST apple_frameworks)
      set(used Apple)
    endif()
    if(used AND NOT used IN_LIST allowed_${layer})
      list(APPEND violations "${file}: ${layer} may not include ${used} (${path})")
    endif()
  endforeach()
endforeach()

if(violations)
  list(SORT violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "layering broken:\n  ${text}")
endif()
message(STATUS "layering holds")
