# The Windows-only sources under src/core/platform/win32/ are plain C++ over the Win32 API
# (registry, shell notification, calculator paths). On Windows they join the
# core library; everywhere else `make test` compiles and links them with the
# MinGW-w64 cross compiler, so that they cannot rot unseen.
file(GLOB_RECURSE TANKO_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/src/core/platform/win32/*.cpp)
configure_file(packaging/tankometer.rc.in ${CMAKE_CURRENT_BINARY_DIR}/generated/tankometer.rc @ONLY)

if(WIN32)
    target_sources(tankocore PRIVATE ${TANKO_WIN32_SOURCES})
    # ws2_32: the poll of the server's socket (Postgres.cpp).
    target_link_libraries(tankocore PUBLIC advapi32 shell32 ws2_32)
    target_sources(tankometer PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated/tankometer.rc)
    set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/generated/tankometer.rc PROPERTIES
        OBJECT_DEPENDS ${TANKO_ICON_DIR}/tankometer.ico)
    set_target_properties(tankometer PROPERTIES WIN32_EXECUTABLE ON)
    if(MSVC)
        # cl knows neither GCC's warning flags nor, untold, that the sources are UTF-8.
        set_property(TARGET tankocore tankogui PROPERTY COMPILE_OPTIONS /W3 /utf-8)
        target_compile_options(tankocore INTERFACE /utf-8)
    endif()
else()
    find_program(TANKO_MINGW_CXX x86_64-w64-mingw32-g++)
    find_program(TANKO_MINGW_WINDRES x86_64-w64-mingw32-windres)
    add_test(NAME win32/mingw_compile COMMAND ${CMAKE_COMMAND}
        -DCXX=${TANKO_MINGW_CXX} -DWINDRES=${TANKO_MINGW_WINDRES}
        -DSOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR}
        "-DSOURCES=${TANKO_WIN32_SOURCES}"
        -DDRIVER=${CMAKE_CURRENT_SOURCE_DIR}/tests/system/win32_link_check.cpp
        -DRC=${CMAKE_CURRENT_BINARY_DIR}/generated/tankometer.rc
        -DOUT=${CMAKE_CURRENT_BINARY_DIR}/mingw
        -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/MingwCheck.cmake)
    # A long check no fault of the program's logic can fail: CI runs it as a
    # step of its own (make slow-checks).
    set_tests_properties(win32/mingw_compile PROPERTIES
        SKIP_REGULAR_EXPRESSION "no MinGW-w64 cross compiler" TIMEOUT 300 LABELS slow)
endif()
