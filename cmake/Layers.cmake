# The layers and the folders each one's files may include from, one row a
# layer: "name|folder|folders it may include". A quoted include must name one
# of those folders ("core/...") or the generated Version.h.
set(RT3180_LAYERS
  "core|src/core|core"
  "posix|src/posix|core posix"
  "win32|src/win32|core win32"
  "win32ui|src/win32ui|core win32 win32ui"
  "controls|src/qt/controls|core qt/controls"
  "ui|src/qt/ui|core posix qt/ui qt/controls"
  "app|src/qt/app|core posix qt/app qt/ui qt/controls"
  "cli|src/cli|core posix win32 cli")

# The core is ISO C++: its angle-bracket includes are standard headers only
# (no Qt, no POSIX, no Windows header).
set(RT3180_STANDARD_HEADERS
  algorithm array atomic bit cassert cctype cerrno charconv chrono climits cmath compare
  concepts condition_variable cstddef cstdint cstdio cstdlib cstring ctime deque exception
  filesystem functional initializer_list iomanip ios iterator limits list map memory mutex
  numeric optional ostream ranges ratio set span sstream stdexcept string string_view
  system_error thread tuple type_traits unordered_map unordered_set utility variant vector)

# Fails the build of target when a source of it includes against its layer.
function(rt3180_check_layer target layer)
  set(allowed "")
  foreach(row IN LISTS RT3180_LAYERS)
    string(REPLACE "|" ";" fields "${row}")
    list(GET fields 0 name)
    if(name STREQUAL layer)
      list(GET fields 2 allowed)
    endif()
  endforeach()
  if(NOT allowed)
    message(FATAL_ERROR "No layer ${layer} in cmake/Layers.cmake")
  endif()
  set(files "")
  foreach(src IN LISTS ARGN)
    list(APPEND files ${CMAKE_CURRENT_SOURCE_DIR}/${src})
  endforeach()
  set(standard "")
  if(layer STREQUAL "core")
    set(standard "${RT3180_STANDARD_HEADERS}")
  endif()
  # In the target's own binary folder, which every generator creates.
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}-layers.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DLAYER=${layer} "-DALLOWED=${allowed}" "-DSTANDARD=${standard}"
            "-DFILES=${files}" -DSTAMP=${stamp} -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake ${PROJECT_SOURCE_DIR}/cmake/Layers.cmake
    COMMENT "Checking the includes of ${target} (layer ${layer})" VERBATIM)
  add_custom_target(${target}-layers DEPENDS ${stamp})
  add_dependencies(${target} ${target}-layers)
endfunction()
