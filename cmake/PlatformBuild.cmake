# The one place where a configuration picks its platform build and finds
# what that build needs from the system. A build is a folder of platform/
# (its Platform and SoundSystem) and of app/ (the program's entry), both
# named for it; executables get it through brontavik_link_platform().
#
#   BRONTAVIK_PLATFORM          sdl (Linux desktop), browser (Emscripten) or
#                               win32 (Windows x64, cross-built with MinGW-w64)
#   BRONTAVIK_SKIPPED_FOLDERS   library folders this build does not make
#   BRONTAVIK_PACKAGING         whether packaging/ (install rules, .deb) applies
#
# A new build is a new branch here and its folders.
if(EMSCRIPTEN)
    # The browser: WebGL 2 through the fixed-function GL layer, Web Audio,
    # html5.h; the music and images of a native build preloaded.
    set(BRONTAVIK_PLATFORM browser)
    # C++ exceptions as WebAssembly's own: without them a throw aborts the
    # program, and the JPEG decoder reports a damaged picture by one.
    add_compile_options(-fwasm-exceptions)
    add_link_options(-fwasm-exceptions)
    set(BRONTAVIK_SKIPPED_FOLDERS platform/audio platform/gl_system tools)
    set(BRONTAVIK_PACKAGING OFF)
    set(BRONTAVIK_TESTS OFF)
    if(BRONTAVIK_ASK_SETTINGS)
        message(FATAL_ERROR "The settings dialog is not part of the browser build.")
    endif()
    set(BRONTAVIK_ASSET_DIR "" CACHE PATH "Folder holding music/music.ogg and textures/*.jpg")
    if(NOT EXISTS "${BRONTAVIK_ASSET_DIR}/music/music.ogg")
        message(FATAL_ERROR "Set BRONTAVIK_ASSET_DIR to a native build's bin folder (music/music.ogg not found).")
    endif()
    find_path(STB_VORBIS_DIR stb_vorbis.h PATHS /usr/include/stb NO_DEFAULT_PATH
        NO_CMAKE_FIND_ROOT_PATH REQUIRED)
elseif(CMAKE_SYSTEM_NAME STREQUAL Windows)
    # Windows: Win32, WGL and GDI themselves, the system's opengl32 and
    # glu32, WASAPI for the sound; stb_vorbis and stb_image_write compiled
    # in. The music and images come from a native build (BRONTAVIK_ASSET_DIR),
    # the icon from its make-icons drawing (BRONTAVIK_ICON_FILE). Its tests
    # run the programs under Wine (scripts/windows --test), not as GoogleTest
    # executables here.
    set(BRONTAVIK_PLATFORM win32)
    set(BRONTAVIK_SKIPPED_FOLDERS platform/gl_layer tools/make-music tools/make-textures
        tools/jpeg-decode tools/model3ds-info)
    set(BRONTAVIK_PACKAGING OFF)
    set(BRONTAVIK_TESTS OFF)
    set(BRONTAVIK_ASSET_DIR "" CACHE PATH "Folder holding music/music.ogg and textures/*.jpg")
    if(NOT EXISTS "${BRONTAVIK_ASSET_DIR}/music/music.ogg")
        message(FATAL_ERROR "Set BRONTAVIK_ASSET_DIR to a native build's bin folder (music/music.ogg not found).")
    endif()
    set(BRONTAVIK_ICON_FILE "" CACHE FILEPATH "The show's icon as a Windows .ico file")
    if(NOT EXISTS "${BRONTAVIK_ICON_FILE}")
        message(FATAL_ERROR "Set BRONTAVIK_ICON_FILE to the show's .ico (scripts/windows makes it).")
    endif()
    find_path(STB_DIR stb_vorbis.h PATHS /usr/include/stb NO_DEFAULT_PATH
        NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    find_package(Threads REQUIRED)
    # The system's GL and GLU are opengl32 and glu32, under the names the
    # Linux build finds them by.
    find_package(OpenGL REQUIRED)
    add_library(PkgConfig::GLU INTERFACE IMPORTED)
    set_target_properties(PkgConfig::GLU PROPERTIES INTERFACE_LINK_LIBRARIES glu32)
    # GL/gl.h brings <windows.h> along: no min and max macros, and only its
    # core. GL/gl.h itself is Windows' with glext.h added, as Mesa's has it.
    add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)
    include_directories(BEFORE ${CMAKE_SOURCE_DIR}/platform/win32/gl_headers)
    enable_language(RC)
    include(${CMAKE_CURRENT_LIST_DIR}/WindowsResources.cmake)
else()
    # The Linux desktop: SDL2 for window, input, audio and message boxes,
    # Mesa's GL and GLU, libvorbisfile and KISS FFT for the music.
    set(BRONTAVIK_PLATFORM sdl)
    set(BRONTAVIK_SKIPPED_FOLDERS)
    set(BRONTAVIK_PACKAGING ON)
    find_package(PkgConfig REQUIRED)
    find_package(OpenGL REQUIRED)
    find_package(Threads REQUIRED)
    pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
    pkg_check_modules(GLU REQUIRED IMPORTED_TARGET glu)
    pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)
    pkg_check_modules(KISSFFT REQUIRED IMPORTED_TARGET kissfft-float)
    find_path(STB_DIR stb_vorbis.h PATHS /usr/include/stb NO_DEFAULT_PATH REQUIRED)
endif()
set(BRONTAVIK_BUILDS sdl browser win32)

# brontavik_link_platform(TARGET): the executable gets this configuration's
# platform build. The builds are object libraries, so every executable that
# runs the program's code links one directly and its objects are always there.
function(brontavik_link_platform target)
    target_link_libraries(${target} PRIVATE platform_${BRONTAVIK_PLATFORM})
endfunction()

# brontavik_folder_is_built(FOLDER OUT): whether this build makes FOLDER: not
# when it is named for another build or skipped by this one (or lies in a
# skipped folder, unless it is named for this build: tools/view/browser is
# made in the browser, where the rest of tools/ is not).
function(brontavik_folder_is_built folder out)
    get_filename_component(name ${folder} NAME)
    set(built TRUE)
    if(name IN_LIST BRONTAVIK_BUILDS AND NOT name STREQUAL BRONTAVIK_PLATFORM)
        set(built FALSE)
    endif()
    foreach(skipped ${BRONTAVIK_SKIPPED_FOLDERS})
        if(folder STREQUAL skipped OR
           (folder MATCHES "^${skipped}/" AND NOT name STREQUAL BRONTAVIK_PLATFORM))
            set(built FALSE)
        endif()
    endforeach()
    set(${out} ${built} PARENT_SCOPE)
endfunction()
