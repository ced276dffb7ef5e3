# Compiles every Windows-only source with the MinGW-w64 cross compiler, warnings
# as errors, then links them with the program's resources into one small
# program, so that every Win32 call they make must resolve. Run by CTest:
#   cmake -DCXX= -DWINDRES= -DSOURCE_DIR= -DSOURCES= -DDRIVER= -DRC= -DOUT= -P MingwCheck.cmake
if(NOT CXX OR NOT WINDRES)
    message("no MinGW-w64 cross compiler (x86_64-w64-mingw32-g++ and -windres): install g++-mingw-w64-x86-64-win32")
    return()
endif()

file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
set(flags -std=c++20 -Wall -Wextra -Wpedantic -Werror -I${SOURCE_DIR}/src)

function(run what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${what} failed:\n${out}")
    endif()
    message(STATUS "${what}: ok")
endfunction()

set(objects)
foreach(source ${SOURCES} ${DRIVER})
    file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
    string(MAKE_C_IDENTIFIER ${name} object)
    run("compile ${name}" ${CXX} ${flags} -c ${source} -o ${OUT}/${object}.o)
    list(APPEND objects ${OUT}/${object}.o)
endforeach()

run("resources" ${WINDRES} -O coff -i ${RC} -o ${OUT}/resources.o)
run("link" ${CXX} -o ${OUT}/link_check.exe ${objects} ${OUT}/resources.o -ladvapi32 -lshell32)
