# Installing and packaging. `cmake --install` lays the program out under the
# prefix the way a desktop expects it: the program, its menu entry, its icon
# in every size, the .tnk MIME type and the documentation. CPack turns the
# same layout into a .deb (`make package`).
include(GNUInstallDirs)

# The icon is drawn from its vector source at build time, never committed as
# pixels, so that the sizes cannot drift from the SVG.
add_executable(tanko_render_icons tools/render_icons.cpp)
target_link_libraries(tanko_render_icons PRIVATE Qt6::Gui Qt6::Svg)

set(TANKO_ICON_SIZES 16 32 48 64 128 256)
set(TANKO_ICON_DIR ${CMAKE_CURRENT_BINARY_DIR}/icons)
set(TANKO_ICON_FILES ${TANKO_ICON_DIR}/tankometer.ico)
foreach(size ${TANKO_ICON_SIZES})
    list(APPEND TANKO_ICON_FILES ${TANKO_ICON_DIR}/hicolor/${size}x${size}/apps/tankometer.png)
endforeach()
set(TANKO_TOOL_ENV ASAN_OPTIONS=detect_leaks=0)
if(WIN32)
    # A build tool finds Qt's DLLs only if their folder is on the path.
    list(PREPEND TANKO_TOOL_ENV --modify PATH=path_list_prepend:$<TARGET_FILE_DIR:Qt6::Core>)
endif()
add_custom_command(OUTPUT ${TANKO_ICON_FILES}
    COMMAND ${CMAKE_COMMAND} -E env ${TANKO_TOOL_ENV} --
            $<TARGET_FILE:tanko_render_icons> ${CMAKE_CURRENT_SOURCE_DIR}/resources/tankometer.svg ${TANKO_ICON_DIR}
    DEPENDS tanko_render_icons resources/tankometer.svg
    COMMENT "Drawing the program icon at every size"
    VERBATIM)
add_custom_target(tanko_icons ALL DEPENDS ${TANKO_ICON_FILES})
add_dependencies(tankometer tanko_icons)

# The maintainer as the .deb, its changelog and the metainfo name them.
set(TANKO_MAINTAINER_EMAIL "maintainers@users.noreply.c-seed-2becbf01.example")
set(TANKO_MAINTAINER "Tankometer developers <${TANKO_MAINTAINER_EMAIL}>")

set(TANKO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tankometer)
install(TARGETS tankometer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES README.md packaging/copyright DESTINATION ${TANKO_DOC_DIR})
# The README's pictures, where its links expect them.
install(DIRECTORY docs/ DESTINATION ${TANKO_DOC_DIR}/docs FILES_MATCHING PATTERN "*.png")

if(UNIX AND NOT APPLE)
    set(TANKO_HICOLOR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
    install(FILES packaging/org.example.tankometer.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    # The same type, comment and icon name that a program run from its build
    # folder declares per account, so that both declarations agree; this one
    # also makes the type a kind of CSV.
    install(FILES packaging/tankometer.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
    install(FILES resources/tankometer.svg DESTINATION ${TANKO_HICOLOR}/scalable/apps)
    install(FILES resources/tankometer.svg DESTINATION ${TANKO_HICOLOR}/scalable/mimetypes
            RENAME application-x-tanko.svg)
    foreach(size ${TANKO_ICON_SIZES})
        set(png ${TANKO_ICON_DIR}/hicolor/${size}x${size}/apps/tankometer.png)
        install(FILES ${png} DESTINATION ${TANKO_HICOLOR}/${size}x${size}/apps)
        install(FILES ${png} DESTINATION ${TANKO_HICOLOR}/${size}x${size}/mimetypes RENAME application-x-tanko.png)
    endforeach()

    # The manual page and the Debian changelog compressed as Debian wants them:
    # at most, without a name or time stamp, so that two builds give one file.
    find_program(TANKO_GZIP gzip REQUIRED)
    set(TANKO_GZIPPED)
    foreach(file tankometer.1 changelog.Debian)
        set(gz ${CMAKE_CURRENT_BINARY_DIR}/packaging/${file}.gz)
        add_custom_command(OUTPUT ${gz}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
            COMMAND ${TANKO_GZIP} -9 -n -c ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${file} > ${gz}
            DEPENDS packaging/${file}
            VERBATIM)
        list(APPEND TANKO_GZIPPED ${gz})
    endforeach()
    add_custom_target(tanko_gzipped ALL DEPENDS ${TANKO_GZIPPED})
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/tankometer.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.Debian.gz DESTINATION ${TANKO_DOC_DIR})
    install(FILES packaging/tankometer.bash-completion DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
            RENAME tankometer)
    # Each tag lintian may not apply here, with the reason in a comment.
    install(FILES packaging/tankometer.lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
            RENAME tankometer)

    # The software centres' description, its links under the project's home.
    set(TANKO_METAINFO ${CMAKE_CURRENT_BINARY_DIR}/packaging/org.example.tankometer.metainfo.xml)
    configure_file(packaging/org.example.tankometer.metainfo.xml.in ${TANKO_METAINFO} @ONLY)
    install(FILES ${TANKO_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

set(CPACK_PACKAGE_NAME tankometer)
set(CPACK_PACKAGE_VENDOR "Tankometer developers")
set(CPACK_PACKAGE_CONTACT "${TANKO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fuel consumption of a vehicle, fill-up by fill-up")
# Lines of the long description as dpkg shows them, under 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Tankometer follows the fuel consumption of a vehicle. At each fill-up the"
    "driver types the odometer readings (or the distance driven), the litres"
    "bought and the amount paid; the program shows the distance and the"
    "consumption in litres per 100 km, keeps the fill-ups of several users and"
    "reports the averages per month. It speaks English, French and Dutch.")
set(CPACK_STRIP_FILES ON)
if(UNIX AND NOT APPLE)
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TANKO_MAINTAINER}")
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    # dpkg-shlibdeps reads the libraries the program links and names their
    # packages: the Qt 6 modules, SQLite and the C++ runtime, no more.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # The windows are laid out for Tahoma; Liberation Sans has its widths.
    # Qt's own words (standard buttons, the file dialog) in French and Dutch.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, qt6-translations-l10n")
else()
    set(CPACK_GENERATOR ZIP)
endif()
include(CPack)

if(TARGET tst_package)
    target_compile_definitions(tst_package PRIVATE
        TANKO_CPACK="${CMAKE_CPACK_COMMAND}"
        TANKO_CPACK_CONFIG="${CMAKE_BINARY_DIR}/CPackConfig.cmake"
        TANKO_ICON_DIR="${TANKO_ICON_DIR}"
        TANKO_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
endif()
