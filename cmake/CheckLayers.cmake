# Fails when a file includes a header of a layer above its own:
#   cmake -DLAYER=<name> -DFORBIDDEN=<regex> -DFILES=<list> -DSTAMP=<file> -P CheckLayers.cmake
# The core may include neither widgets nor the window's folders; the
# controls may not include the window's own code.
set(failures "")
foreach(file IN LISTS FILES)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "${FORBIDDEN}")
      string(APPEND failures "\n  ${file}: ${line}")
    endif()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "Includes against the layers (${LAYER}):${failures}")
endif()
file(TOUCH "${STAMP}")
