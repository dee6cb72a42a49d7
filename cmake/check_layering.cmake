# Fails when a source file includes a header of a folder its own folder may
# not use: the layering the README's "Layout" gives, arrows only downward.
#   cmake -DSORGENTI=<source folder> -P check_layering.cmake
cmake_minimum_required(VERSION 3.25)

set(permessi
    "core:core"
    "engine:core engine"
    "history:core history"
    "sim:sim"
    "window:core engine history window"
    "cli:core engine history cli"
    "testing:core engine history window sim testing"
    "tools:core engine history window cli sim testing tools"
    "fuzz:core sim fuzz")
set(cartelle core engine history sim window cli testing tools fuzz tests)

set(violazioni "")
foreach(regola IN LISTS permessi)
    string(REPLACE ":" ";" parti "${regola}")
    list(GET parti 0 cartella)
    list(GET parti 1 ammesse)
    string(REPLACE " " ";" ammesse "${ammesse}")
    file(GLOB_RECURSE sorgenti "${SORGENTI}/${cartella}/*.cpp" "${SORGENTI}/${cartella}/*.h")
    foreach(sorgente IN LISTS sorgenti)
        file(STRINGS "${sorgente}" inclusioni REGEX "^#include \"[a-z_]+/")
        foreach(inclusione IN LISTS inclusioni)
            string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" usata "${inclusione}")
            if(usata IN_LIST cartelle AND NOT usata IN_LIST ammesse)
                file(RELATIVE_PATH dove "${SORGENTI}" "${sorgente}")
                list(APPEND violazioni "${dove}: ${inclusione} (${cartella}/ may use: ${ammesse})")
            endif()
        endforeach()
    endforeach()
endforeach()

if(violazioni)
    list(JOIN violazioni "\n  " elenco)
    message(FATAL_ERROR "Includes that run against the layering:\n  ${elenco}")
endif()
message(STATUS "The layering holds.")
