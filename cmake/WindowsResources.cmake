# brontavik_windows_resources(TARGET DESCRIPTION [UTF8] [RC_FILE...]): gives a
# Windows program the resources every program of the show carries: an
# application manifest (asInvoker, Windows 10 and 11, per-monitor DPI aware),
# the show's icon (BRONTAVIK_ICON_FILE) and a version resource from the
# project version; further resource scripts are compiled in too. UTF8 asks
# in the manifest for UTF-8 as the process's code page (Windows 10 1903 and
# later), so a program handed file names gets them whole in its char strings.
function(brontavik_windows_resources target description)
    cmake_parse_arguments(R "UTF8" "" "" ${ARGN})
    set(RESOURCE_CODE_PAGE "")
    if(R_UTF8)
        set(RESOURCE_CODE_PAGE "\n      <activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">UTF-8</activeCodePage>")
    endif()
    set(RESOURCE_NAME ${target})
    set(RESOURCE_FILE ${target}.exe)
    set(RESOURCE_DESCRIPTION ${description})
    set(RESOURCE_VERSION ${PROJECT_VERSION})
    set(templates ${CMAKE_SOURCE_DIR}/app/win32/resources)
    set(dir ${CMAKE_BINARY_DIR}/resources/${target})
    set(RESOURCE_MANIFEST ${dir}/${target}.manifest)
    configure_file(${templates}/program.manifest.in ${RESOURCE_MANIFEST} @ONLY)
    configure_file(${templates}/program.rc.in ${dir}/${target}.rc @ONLY)
    set_source_files_properties(${dir}/${target}.rc PROPERTIES
        OBJECT_DEPENDS "${RESOURCE_MANIFEST};${BRONTAVIK_ICON_FILE}")
    target_sources(${target} PRIVATE ${dir}/${target}.rc ${R_UNPARSED_ARGUMENTS})
endfunction()
