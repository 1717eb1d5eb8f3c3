# The layers stand on each other in one direction: platform, runtime, controls, host (then the
# tools). A file of a layer includes nothing from a layer above it.
#   cmake -DROOT=<folder holding platform/ runtime/ controls/ host/> -P check_layers.cmake
if(NOT ROOT)
  message(FATAL_ERROR "check_layers: ROOT is not set")
endif()

# For each layer, the layers above it.
set(above_platform runtime controls host)
set(above_runtime controls host)
set(above_controls host)

get_filename_component(ROOT "${ROOT}" ABSOLUTE)
set(count 0)
foreach(layer platform runtime controls)
  file(GLOB_RECURSE files "${ROOT}/${layer}/*.h" "${ROOT}/${layer}/*.hpp" "${ROOT}/${layer}/*.cpp")
  list(SORT files)
  foreach(f ${files})
    file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*$" "\\1" included "${line}")
      # A path relative to the including file, or written from the source root, names the
      # same layer as one written from src/.
      string(REGEX REPLACE "^(\\./|\\.\\./)+" "" included "${included}")
      string(REGEX REPLACE "^src/" "" included "${included}")
      foreach(upper ${above_${layer}})
        if(included MATCHES "^${upper}/")
          file(RELATIVE_PATH shown "${ROOT}" "${f}")
          message("${shown}: includes ${included}: ${layer} may not include ${upper}")
          math(EXPR count "${count} + 1")
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()

if(count GREATER 0)
  message(FATAL_ERROR "${count} upward includes")
endif()
message("layers: no upward include")
