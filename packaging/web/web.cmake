# The browser build (scripts/web.sh configures it with emcmake): the game's
# own libraries over SDL2, libpng, zlib, libogg and libvorbis built for the
# browser into SNOWQUILL_WEB_PREFIX, and the data of the desktop build
# (SNOWQUILL_WEB_DATA) packed beside the page in SNOWQUILL_WEB_OUT.
set(SNOWQUILL_WEB_PREFIX "" CACHE PATH "Where scripts/web.sh installed the libraries built for the browser")
set(SNOWQUILL_WEB_DATA "${CMAKE_SOURCE_DIR}/build/game" CACHE PATH "The desktop build's game folder (its data is packed)")
set(SNOWQUILL_WEB_OUT "${CMAKE_BINARY_DIR}/site" CACHE PATH "The site: the page and its files, nothing else")
if(NOT EXISTS "${SNOWQUILL_WEB_PREFIX}/lib/libSDL2.a")
  message(FATAL_ERROR "No libraries for the browser in '${SNOWQUILL_WEB_PREFIX}': build with scripts/web.sh")
endif()
foreach(folder gfx sfx musica maps demos)
  if(NOT IS_DIRECTORY "${SNOWQUILL_WEB_DATA}/${folder}")
    message(FATAL_ERROR "No game data in '${SNOWQUILL_WEB_DATA}' (${folder}/ is missing): build the desktop game first")
  endif()
endforeach()

# C++ exceptions carry the game's fatal errors to main, as on the desktop.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

# The libraries under the names the desktop build finds them by.
function(snowquill_web_library name)
  add_library(${name} INTERFACE IMPORTED GLOBAL)
  set(files)
  foreach(lib ${ARGN})
    list(APPEND files "${SNOWQUILL_WEB_PREFIX}/lib/${lib}")
  endforeach()
  set_target_properties(${name} PROPERTIES INTERFACE_LINK_LIBRARIES "${files}"
    INTERFACE_INCLUDE_DIRECTORIES "${SNOWQUILL_WEB_PREFIX}/include;${SNOWQUILL_WEB_PREFIX}/include/SDL2"
    # Ahead of the compiler's own old SDL headers, which it always adds.
    IMPORTED_NO_SYSTEM TRUE)
endfunction()
snowquill_web_library(PkgConfig::SDL2 libSDL2.a)
snowquill_web_library(PkgConfig::VORBIS libvorbisfile.a libvorbis.a libogg.a)
snowquill_web_library(ZLIB::ZLIB libz.a)
snowquill_web_library(PNG::PNG libpng16.a libz.a)
# WebGL comes with the compiler's runtime; there are no threads.
add_library(OpenGL::GL INTERFACE IMPORTED GLOBAL)
add_library(Threads::Threads INTERFACE IMPORTED GLOBAL)

set(SNOWQUILL_DATA_FROM_BIN ".")
set(SNOWQUILL_GAME_DIR "${SNOWQUILL_WEB_OUT}")
add_subdirectory(src)

set(web_dir "${CMAKE_SOURCE_DIR}/packaging/web")
set_target_properties(snowquill PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${SNOWQUILL_WEB_OUT}" SUFFIX ".js")
target_link_options(snowquill PRIVATE
  # Every frame and wait hands control back to the browser (web.cpp).
  "SHELL:-s ASYNCIFY=1"
  "SHELL:-s ASYNCIFY_STACK_SIZE=262144"
  "SHELL:-s ALLOW_MEMORY_GROWTH=1"
  "SHELL:-s INITIAL_MEMORY=67108864"
  "SHELL:-s ENVIRONMENT=web"
  "SHELL:-s EXIT_RUNTIME=1"
  "SHELL:-s FORCE_FILESYSTEM=1"
  "SHELL:-s EXPORTED_RUNTIME_METHODS=['FS','ENV','callMain']"
  # SDL's sound in the browser needs these two of the compiler's helpers.
  "SHELL:-s DEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${web_dir}/library_funcs.json"
  -lidbfs.js
  "SHELL:--pre-js ${web_dir}/pre.js"
  "SHELL:--preload-file ${SNOWQUILL_WEB_DATA}/gfx@/game/gfx"
  "SHELL:--preload-file ${SNOWQUILL_WEB_DATA}/sfx@/game/sfx"
  "SHELL:--preload-file ${SNOWQUILL_WEB_DATA}/musica@/game/musica"
  "SHELL:--preload-file ${SNOWQUILL_WEB_DATA}/maps@/game/maps"
  # The title's demos, beside the data as on the desktop.
  "SHELL:--preload-file ${SNOWQUILL_WEB_DATA}/demos@/game/demos"
  # The recorded demos, for replays in the page.
  "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/tests/demos@/demos"
  "SHELL:--exclude-file *.keys" "SHELL:--exclude-file .gitignore")
file(GLOB_RECURSE packed_files CONFIGURE_DEPENDS "${SNOWQUILL_WEB_DATA}/gfx/*" "${SNOWQUILL_WEB_DATA}/sfx/*"
  "${SNOWQUILL_WEB_DATA}/musica/*" "${SNOWQUILL_WEB_DATA}/maps/*" "${SNOWQUILL_WEB_DATA}/demos/*"
  "${CMAKE_SOURCE_DIR}/tests/demos/*")
set_property(TARGET snowquill APPEND PROPERTY LINK_DEPENDS "${web_dir}/pre.js" ${packed_files})
# The page, its style and script, and the web app manifest.
foreach(f index.html page.css page.js manifest.webmanifest)
  configure_file("${web_dir}/${f}" "${SNOWQUILL_WEB_OUT}/${f}" COPYONLY)
endforeach()
# The icons the desktop build draws: the tab's, and the installed app's.
set(SNOWQUILL_WEB_ICONS "${SNOWQUILL_WEB_DATA}/../packaging/icons"
  CACHE PATH "The icons the desktop build draws (build/packaging/icons)")
foreach(icon "32:favicon" "192:icon-192" "512:icon-512")
  string(REPLACE ":" ";" icon "${icon}")
  list(GET icon 0 size)
  list(GET icon 1 name)
  set(from "${SNOWQUILL_WEB_ICONS}/${size}/io.github.snowquill.Snowquill.png")
  if(NOT EXISTS "${from}")
    message(FATAL_ERROR "No icon at '${from}': build the desktop game and its data first")
  endif()
  configure_file("${from}" "${SNOWQUILL_WEB_OUT}/${name}.png" COPYONLY)
endforeach()
# The service worker, named for this build's files (make_sw.cmake).
set(SNOWQUILL_SITE_FILES index.html page.css page.js manifest.webmanifest snowquill.js snowquill.wasm
  snowquill.data favicon.png icon-192.png icon-512.png)
add_custom_target(snowquill_site ALL
  COMMAND ${CMAKE_COMMAND} -DSITE=${SNOWQUILL_WEB_OUT} -DTEMPLATE=${web_dir}/sw.js.in
          "-DFILES=${SNOWQUILL_SITE_FILES}" -P ${web_dir}/make_sw.cmake
  DEPENDS snowquill ${web_dir}/sw.js.in ${web_dir}/make_sw.cmake
  VERBATIM)
