# Which library may use which. Every library and program of the product names the project
# libraries it may link (and whether it may use widgets); tallimo_check_layers(), called once all
# targets exist, stops the configuration at the first link outside its rules. Headers come with
# the libraries linked, so a call across a forbidden line cannot link either.

# tallimo_layer(target [WIDGETS] USES lib...): `target` may link `lib...` and nothing else of the
# project; Qt's widget libraries only with WIDGETS.
function(tallimo_layer target)
  cmake_parse_arguments(L "WIDGETS" "" "USES" ${ARGN})
  set_property(GLOBAL APPEND PROPERTY TALLIMO_LAYERED ${target})
  set_property(GLOBAL PROPERTY TALLIMO_USES_${target} ${L_USES})
  set_property(GLOBAL PROPERTY TALLIMO_WIDGETS_${target} ${L_WIDGETS})
endfunction()

# The project's libraries and Qt's widget libraries among a target's links.
function(tallimo_layer_links target out)
  set(found)
  foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
    get_target_property(links ${target} ${property})
    if(NOT links)
      continue()
    endif()
    foreach(link IN LISTS links)
      # A PRIVATE link of a static library reaches its users as $<LINK_ONLY:lib>.
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
      # Resources a library carries are part of it.
      if(link MATCHES "^tallimo_.*_resources_[0-9]+$")
        continue()
      endif()
      if(link MATCHES "^tallimo_|^Qt6::(Widgets|Gui)$")
        list(APPEND found ${link})
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES found)
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(tallimo_check_layers)
  get_property(layered GLOBAL PROPERTY TALLIMO_LAYERED)
  foreach(target IN LISTS layered)
    if(NOT TARGET ${target})
      message(FATAL_ERROR "Layer rules name ${target}, which the build does not make")
    endif()
    get_property(uses GLOBAL PROPERTY TALLIMO_USES_${target})
    get_property(widgets GLOBAL PROPERTY TALLIMO_WIDGETS_${target})
    tallimo_layer_links(${target} links)
    foreach(link IN LISTS links)
      if(link MATCHES "^Qt6::")
        if(NOT widgets)
          message(FATAL_ERROR "${target} may not use ${link}: it is no window library")
        endif()
      elseif(NOT link IN_LIST uses)
        message(FATAL_ERROR "${target} may not use ${link}; it may use: ${uses}")
      endif()
    endforeach()
  endforeach()
endfunction()
