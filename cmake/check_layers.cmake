# Checks that the code reads top-down: every library folder includes only its
# own headers and those of the folders it is declared to stand on, and lists
# every one of its files in its CMakeLists.txt.
#
#   cmake -DSOURCE_DIR=<project> -P cmake/check_layers.cmake
#
# Headers are named by their base name ("session_controller.h"); the folders a
# library may reach are the ones below, followed down to the bottom.

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

# Each library folder and the folders it stands on directly.
set(LAYERS
    core
    platform
    kit/foundation
    kit/controls
    kit/windows
    kit/panel
    kit/preferences
    kit/welcome
    app/engine
    app/formats
    app/presentation
    app/panel
    app/windows
    app/snapshot
    app/shell
    app)
set(USES_core "")
set(USES_platform core)
set(USES_kit/foundation platform)
set(USES_kit/controls kit/foundation)
set(USES_kit/windows kit/foundation)
set(USES_kit/panel kit/controls)
set(USES_kit/preferences kit/controls)
set(USES_kit/welcome kit/panel kit/preferences kit/windows)
set(USES_app/engine core platform)
set(USES_app/formats core)
set(USES_app/presentation kit/foundation)
set(USES_app/panel app/engine app/formats app/presentation kit/panel kit/preferences kit/windows)
set(USES_app/windows app/engine app/presentation kit/welcome)
set(USES_app/snapshot app/panel app/windows)
set(USES_app/shell app/snapshot)
set(USES_app app/shell)

# Everything a layer reaches, itself included.
function(reach layer out)
    set(result ${layer})
    set(pending ${USES_${layer}})
    while(pending)
        list(POP_FRONT pending next)
        if(NOT next IN_LIST result)
            list(APPEND result ${next})
            list(APPEND pending ${USES_${next}})
        endif()
    endwhile()
    set(${out} ${result} PARENT_SCOPE)
endfunction()

# Where each header lives.
foreach(layer IN LISTS LAYERS)
    file(GLOB headers RELATIVE ${SOURCE_DIR}/${layer} ${SOURCE_DIR}/${layer}/*.h)
    foreach(header IN LISTS headers)
        if(DEFINED HOME_${header})
            list(APPEND problems "${header} is in both ${HOME_${header}} and ${layer}")
        endif()
        set(HOME_${header} ${layer})
    endforeach()
endforeach()

# Every folder with sources must be one of the layers.
file(GLOB_RECURSE all_sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/core/*.[ch]* ${SOURCE_DIR}/platform/*.[ch]*
     ${SOURCE_DIR}/kit/*.[ch]* ${SOURCE_DIR}/app/*.[ch]*)
foreach(source IN LISTS all_sources)
    get_filename_component(folder ${source} DIRECTORY)
    if(source MATCHES "\\.(h|cpp)$" AND NOT folder IN_LIST LAYERS)
        list(APPEND problems "${source} is in ${folder}, which is not a declared layer")
    endif()
endforeach()

set(include_count 0)
foreach(layer IN LISTS LAYERS)
    reach(${layer} allowed)
    file(READ ${SOURCE_DIR}/${layer}/CMakeLists.txt listing)
    file(GLOB sources RELATIVE ${SOURCE_DIR}/${layer} ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
    foreach(source IN LISTS sources)
        string(REGEX MATCH "(^|[ \t\n(])${source}([ \t\n)]|$)" listed "${listing}")
        if(NOT listed)
            list(APPEND problems "${layer}/${source} is not listed in ${layer}/CMakeLists.txt")
        endif()
        if(layer STREQUAL "core")
            # The session model is plain C++.
            file(STRINGS ${SOURCE_DIR}/${layer}/${source} qt_includes REGEX "^[ \t]*#[ \t]*include[ \t]*<Q")
            if(qt_includes)
                list(APPEND problems "${layer}/${source} includes Qt")
            endif()
        endif()
        file(STRINGS ${SOURCE_DIR}/${layer}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" included "${line}")
            math(EXPR include_count "${include_count} + 1")
            if(included MATCHES "/")
                list(APPEND problems "${layer}/${source} includes \"${included}\": name headers by their base name")
            elseif(included MATCHES "\\.moc$")
                # moc's output for a class inside a source file.
            elseif(NOT DEFINED HOME_${included})
                list(APPEND problems "${layer}/${source} includes \"${included}\", which no layer holds")
            elseif(NOT HOME_${included} IN_LIST allowed)
                list(APPEND problems
                     "${layer}/${source} includes \"${included}\" from ${HOME_${included}}, which ${layer} does not stand on")
            endif()
        endforeach()
    endforeach()
endforeach()

if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "Layer check failed:\n  ${text}")
endif()
list(LENGTH LAYERS layer_count)
message(STATUS "Layer check: ${include_count} includes in ${layer_count} folders, none pointing up")
