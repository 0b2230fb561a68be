# Fails when a library file includes a header from a layer above its own, or from a front-end.
# The layers, bottom up: core <- display <- supervision <- menu, panel (side by side, neither
# includes the other) <- unit. Front-ends (panel/window, scenario, flashtool, web, tools, tests,
# bench) sit on top and may include any layer.
# Usage: cmake -DSOURCE_DIR=<checkout> -P tests/LayerCheck.cmake
set(rank_core 0)
set(rank_display 1)
set(rank_supervision 2)
set(rank_menu 3)
set(rank_panel 3)
set(rank_unit 4)
set(layers core display supervision menu panel unit)

set(broken 0)
foreach(layer ${layers})
    file(GLOB files ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
    foreach(file ${files})
        file(STRINGS ${file} includes REGEX "^#include \"")
        foreach(line ${includes})
            string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
            string(REGEX MATCH "^[a-z]+/" top "${header}")
            string(REGEX REPLACE "/$" "" top "${top}")
            set(reason "")
            if(header MATCHES "^panel/window/" OR top STREQUAL "scenario" OR top STREQUAL "web"
               OR top STREQUAL "flashtool"
               OR top STREQUAL "tests" OR top STREQUAL "tools" OR top STREQUAL "bench")
                set(reason "a front-end")
            elseif(DEFINED rank_${top} AND NOT top STREQUAL layer
                   AND NOT rank_${top} LESS rank_${layer})
                set(reason "layer ${top}, not below ${layer}")
            endif()
            if(reason)
                file(RELATIVE_PATH shown ${SOURCE_DIR} ${file})
                message(SEND_ERROR "${shown} includes ${header}: ${reason}")
                math(EXPR broken "${broken} + 1")
            endif()
        endforeach()
    endforeach()
endforeach()
if(broken GREATER 0)
    message(FATAL_ERROR "${broken} include(s) point upward")
endif()
message(STATUS "every include of the library points down")
