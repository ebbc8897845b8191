# Layering. Includes are written from the repository root ("engine/core/FileReader.h"), but no
# target sees the whole root: each folder is staged on its own as
#     <build>/include/<folder with / as _>/<folder>  ->  <source>/<folder>
# and a target gets the stage of its own folder, plus, through its links, the stages of the
# targets it links. A target sees exactly its own folder and the folders below it; an include of
# a folder above it fails with "No such file".

# sonvale_layer(TARGET FOLDER): TARGET's sources live in FOLDER (relative to the repository root).
# Libraries hand the folder on to those that link them; programs keep it to themselves.
function(sonvale_layer target folder)
    string(REPLACE "/" "_" stage_name "${folder}")
    set(stage "${CMAKE_BINARY_DIR}/include/${stage_name}")
    set(link "${stage}/${folder}")
    set(source "${CMAKE_SOURCE_DIR}/${folder}")
    if(IS_SYMLINK "${link}")
        file(READ_SYMLINK "${link}" current)
    else()
        set(current "")
    endif()
    if(NOT current STREQUAL source)
        get_filename_component(parent "${link}" DIRECTORY)
        file(MAKE_DIRECTORY "${parent}")
        file(REMOVE "${link}")
        file(CREATE_LINK "${source}" "${link}" SYMBOLIC)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE" OR type STREQUAL "MODULE_LIBRARY")
        target_include_directories(${target} PRIVATE "${stage}")
    elseif(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE "${stage}")
    else()
        target_include_directories(${target} PUBLIC "${stage}")
    endif()
endfunction()

# sonvale_private_module(TARGET FOLDER USER SOURCE... LINKS LIBRARY...): a module (libTARGET.so)
# that binds a large library for USER, which loads it on first use (platform/PrivateModule). It is
# built where it is installed, lib/sonvale beside bin, so that a program in the build folder finds
# it as an installed one does (and the plug-in scan of the program's own folder passes it by).
function(sonvale_private_module target folder user)
    cmake_parse_arguments(PARSE_ARGV 3 module "" "" "LINKS")
    add_library(${target} MODULE ${module_UNPARSED_ARGUMENTS})
    sonvale_layer(${target} ${folder})
    set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib/sonvale)
    target_link_libraries(${target} PRIVATE ${module_LINKS})
    target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL -Wl,--no-undefined)
    add_dependencies(${user} ${target})
endfunction()
