# The browser build's static folder (build-web/site/) and its single-file
# pages. A page's files, its program and its icons join the site through
# these functions; once the whole tree is configured, the service worker is
# written with the list of every file that joined and a version drawn from
# their contents (a new build is a new version), and each single-file page
# is made from the site's files.
include_guard(GLOBAL)
# Global names only: the last step runs in the top folder's scope, and the
# pages' folders include this file after the first, which set them.
set(BRONTAVIK_SITE_DIR ${CMAKE_BINARY_DIR}/site CACHE INTERNAL "The browser build's static folder")
set(BRONTAVIK_ICON_DIR "" CACHE PATH
    "The native build's icons/hicolor folder (make-icons); default: beside BRONTAVIK_ASSET_DIR")
if(NOT BRONTAVIK_ICON_DIR)
    get_filename_component(BRONTAVIK_ICON_DIR ${BRONTAVIK_ASSET_DIR}/../icons/hicolor ABSOLUTE)
endif()
if(NOT EXISTS ${BRONTAVIK_ICON_DIR}/32x32/apps/brontavik.png)
    message(FATAL_ERROR "No icons in ${BRONTAVIK_ICON_DIR}: build the native build's icons "
                        "target, or set BRONTAVIK_ICON_DIR.")
endif()

function(_brontavik_site_add names depends)
    set_property(GLOBAL APPEND PROPERTY BRONTAVIK_SITE_FILES ${names})
    set_property(GLOBAL APPEND PROPERTY BRONTAVIK_SITE_DEPENDS ${depends})
endfunction()

# brontavik_site_copy(SOURCE [AS NAME]): a file copied into the site
# (again whenever it changes, as configure_file does).
function(brontavik_site_copy source)
    cmake_parse_arguments(C "" "AS" "" ${ARGN})
    get_filename_component(name ${source} NAME)
    if(C_AS)
        set(name ${C_AS})
    endif()
    configure_file(${source} ${BRONTAVIK_SITE_DIR}/${name} COPYONLY)
    _brontavik_site_add(${name} ${BRONTAVIK_SITE_DIR}/${name})
endfunction()

# brontavik_site_icon(SIZE): the show's icon drawn at SIZE pixels, as icon-SIZE.png.
function(brontavik_site_icon size)
    set(drawn ${BRONTAVIK_ICON_DIR}/${size}x${size}/apps/brontavik.png)
    brontavik_site_copy(${drawn} AS icon-${size}.png)
endfunction()

# brontavik_site_program(TARGET [DATA]): the program's NAME.js and NAME.wasm
# (and NAME.data, with preloaded files) land in the site.
function(brontavik_site_program target)
    cmake_parse_arguments(P "DATA" "" "" ${ARGN})
    set_target_properties(${target} PROPERTIES SUFFIX ".js"
        RUNTIME_OUTPUT_DIRECTORY ${BRONTAVIK_SITE_DIR})
    set(names ${target}.js ${target}.wasm)
    if(P_DATA)
        list(APPEND names ${target}.data)
    endif()
    _brontavik_site_add("${names}" ${target})
endfunction()

# brontavik_single_file(OUTPUT FILE PAGE NAME PROGRAM TARGET): the site's
# page NAME with everything it loads and the program written into it.
function(brontavik_single_file)
    cmake_parse_arguments(S "" "OUTPUT;PAGE;PROGRAM" "" ${ARGN})
    set_property(GLOBAL APPEND PROPERTY BRONTAVIK_SINGLE_FILES "${S_OUTPUT}|${S_PAGE}|${S_PROGRAM}")
endfunction()

# Run once the tree is configured, when every file has joined.
function(_brontavik_site_finish)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    set(tools ${CMAKE_SOURCE_DIR}/platform/browser/site)
    set(site ${CMAKE_BINARY_DIR}/site)
    get_property(files GLOBAL PROPERTY BRONTAVIK_SITE_FILES)
    get_property(depends GLOBAL PROPERTY BRONTAVIK_SITE_DEPENDS)
    set(worker ${site}/service-worker.js)
    set(template ${CMAKE_SOURCE_DIR}/platform/browser/page/service-worker.js)
    add_custom_command(OUTPUT ${worker}
        COMMAND Python3::Interpreter ${tools}/make_service_worker.py
            --site ${site} --template ${template} --output ${worker} ${files}
        DEPENDS ${depends} ${template} ${tools}/make_service_worker.py
        COMMENT "Writing the site's service worker"
        VERBATIM)
    set(outputs ${worker})
    get_property(singles GLOBAL PROPERTY BRONTAVIK_SINGLE_FILES)
    foreach(single ${singles})
        string(REPLACE "|" ";" single "${single}")
        list(GET single 0 output)
        list(GET single 1 page)
        list(GET single 2 program)
        add_custom_command(OUTPUT ${output}
            COMMAND Python3::Interpreter ${tools}/make_single_file.py
                --site ${site} --page ${page} --program ${program} --output ${output}
            DEPENDS ${depends} ${tools}/make_single_file.py
            COMMENT "Writing ${output}, the show in one file"
            VERBATIM)
        list(APPEND outputs ${output})
    endforeach()
    add_custom_target(site ALL DEPENDS ${outputs})
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _brontavik_site_finish)
