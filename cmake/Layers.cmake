# Each layer of the program is a library of its own that sees only itself and
# the layers below it. A layer's headers are reached through a folder of its
# own in the build tree that links to the layer's sources, and a library puts
# only that folder on its users' include path: an include that runs up does
# not compile. build/layers.txt lists what each layer may include; the
# include-layer test reads it.
set(MORVANE_LAYERS_FILE ${PROJECT_BINARY_DIR}/layers.txt)
file(WRITE ${MORVANE_LAYERS_FILE} "")

# morvane_layer(<target> <folder> [BELOW <layer targets>] [LIBS <other libraries>])
function(morvane_layer target folder)
  cmake_parse_arguments(LAYER "" "" "BELOW;LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  list(REMOVE_ITEM sources ${PROJECT_SOURCE_DIR}/app/main.cpp)
  add_library(${target} STATIC ${sources})

  set(stage ${PROJECT_BINARY_DIR}/layers/${target})
  get_filename_component(parent ${stage}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${stage}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${stage})
  target_link_libraries(${target} PUBLIC ${LAYER_BELOW} ${LAYER_LIBS})

  # What the layer may include: itself and everything below it.
  set(reach ${folder})
  foreach(below IN LISTS LAYER_BELOW)
    get_property(below_reach GLOBAL PROPERTY MORVANE_REACH_${below})
    list(APPEND reach ${below_reach})
  endforeach()
  list(REMOVE_DUPLICATES reach)
  set_property(GLOBAL PROPERTY MORVANE_REACH_${target} ${reach})
  list(JOIN reach " " reach_text)
  file(APPEND ${MORVANE_LAYERS_FILE} "${folder}: ${reach_text}\n")
endfunction()
