# The library stands in layers, each built on the ones below it only: platform, runtime,
# controls, host. The build holds every layer to that in two ways.
#
# Headers: a layer's files include each other as "<layer>/<file>.h" from a root that holds
# that layer's folder and nothing else (a symbolic link in the build tree,
# <build>/layers/<layer>/<layer> -> <source>/<layer>). A layer's target sees its own root and
# those of the layers it is built on; the folder of a layer above is simply not there, and an
# include of it is a missing file.
#
# Symbols: besides its static library, every layer is linked once more as a shared library
# with -Wl,--no-undefined, from all of its own objects and only the layers below it. A use of
# anything defined above (a declaration written out by hand needs no include) is an undefined
# reference, and the build stops there.
#
#   tesma_layer(<name> [BELOW <layer>...] SOURCES <file>... [LINKS <library>...])
#
# makes the static library tesma_<name> from the sources (relative to the calling folder) and
# its check tesma_<name>_link_check. BELOW names the layers the sources use, linked PRIVATE:
# the layers above this one link what they use themselves. LINKS are outside libraries.

option(TESMA_LAYER_LINK_CHECK "Link each layer on its own with -Wl,--no-undefined" ON)

function(tesma_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "BELOW;SOURCES;LINKS")
  if(NOT ARG_SOURCES)
    message(FATAL_ERROR "tesma_layer(${name}): no SOURCES")
  endif()

  set(root "${CMAKE_BINARY_DIR}/layers/${name}")
  file(MAKE_DIRECTORY "${root}")
  file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}/${name}" "${root}/${name}" SYMBOLIC)

  add_library(tesma_${name} STATIC ${ARG_SOURCES})
  target_include_directories(tesma_${name} PUBLIC "${root}")
  foreach(below ${ARG_BELOW})
    if(NOT TARGET tesma_${below})
      message(FATAL_ERROR "tesma_layer(${name}): layer ${below} is not defined before it")
    endif()
    target_link_libraries(tesma_${name} PRIVATE tesma_${below})
  endforeach()
  if(ARG_LINKS)
    target_link_libraries(tesma_${name} PUBLIC ${ARG_LINKS})
  endif()

  # A sanitizer runtime that clang leaves out of shared libraries would be undefined in every
  # check: fuzz builds go without it.
  if(TESMA_LAYER_LINK_CHECK AND NOT TESMA_FUZZ)
    set(empty "${CMAKE_BINARY_DIR}/layers/link_check.cpp")
    if(NOT EXISTS "${empty}")
      file(WRITE "${empty}" "// The objects of a layer, linked on their own (see cmake/layers.cmake).\n")
    endif()
    add_library(tesma_${name}_link_check SHARED "${empty}")
    target_link_libraries(tesma_${name}_link_check PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,tesma_${name}>")
    foreach(below ${ARG_BELOW})
      target_link_libraries(tesma_${name}_link_check PRIVATE tesma_${below})
    endforeach()
    target_link_options(tesma_${name}_link_check PRIVATE -Wl,--no-undefined)
    set_target_properties(tesma_${name}_link_check PROPERTIES LIBRARY_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/layers")
  endif()
endfunction()
