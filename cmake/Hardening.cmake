# Debian's hardening flags, as dpkg-buildflags gives them with hardening=+all,
# for Release builds on Linux, so that the .deb passes lintian's hardening
# checks and hardening-check.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
    return()
endif()
include(CheckPIESupported)

set(release "$<CONFIG:Release>")
add_compile_options("$<${release}:-fstack-protector-strong;-Wformat;-Werror=format-security>")
# The sanitizers intercept the C library's functions; fortified variants
# would pass them by.
if(NOT TANKO_SANITIZE)
    add_compile_definitions("$<${release}:_FORTIFY_SOURCE=2>")
endif()
add_link_options("$<${release}:LINKER:-z,relro;LINKER:-z,now>")
unset(release)

set(CMAKE_POSITION_INDEPENDENT_CODE ON)
check_pie_supported()
