# Copies the page, the module, the artwork, the LCD font and the licenses into SITE.
# cmake -DSITE=... -DMODULE_DIR=... -DPAGE_FILES=... -DARTWORK=... -DFONT=... -DFONT_LICENSE=...
#       -DLICENSE=... -DICONS=packaging/icons/hicolor -P AssembleSite.cmake
foreach(required SITE MODULE_DIR PAGE_FILES ARTWORK FONT FONT_LICENSE LICENSE ICONS)
    if(NOT DEFINED ${required} OR "${${required}}" STREQUAL "")
        message(FATAL_ERROR "AssembleSite.cmake: ${required} is not set")
    endif()
endforeach()
foreach(file ${FONT} ${FONT_LICENSE})
    if(NOT EXISTS ${file})
        message(FATAL_ERROR "${file} is missing: install fonts-liberation2 (scripts/install-deps.sh)")
    endif()
endforeach()

file(MAKE_DIRECTORY ${SITE}/art ${SITE}/fonts ${SITE}/icons)

function(copy_into directory name source)
    file(COPY_FILE ${source} ${directory}/${name} ONLY_IF_DIFFERENT)
endfunction()

foreach(file ${PAGE_FILES})
    get_filename_component(name ${file} NAME)
    copy_into(${SITE} ${name} ${file})
endforeach()
foreach(name kv410.js kv410.wasm)
    copy_into(${SITE} ${name} ${MODULE_DIR}/${name})
endforeach()
foreach(file ${ARTWORK})
    get_filename_component(name ${file} NAME)
    copy_into(${SITE}/art ${name} ${file})
endforeach()
copy_into(${SITE}/fonts LiberationMono-Bold.woff2 ${FONT})
copy_into(${SITE}/fonts LiberationMono-LICENSE.txt ${FONT_LICENSE})
copy_into(${SITE} LICENSE.txt ${LICENSE})
# The package's icons: the favicon and the web app manifest's.
foreach(size 32 256 512)
    copy_into(${SITE}/icons kv410-${size}.png ${ICONS}/${size}x${size}/apps/kv410.png)
endforeach()
copy_into(${SITE}/icons kv410.svg ${ICONS}/scalable/apps/kv410.svg)
