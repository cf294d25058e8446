# The installed layout (cmake --install, and the Debian package built from it with CPack):
#   bin/ondrix
#   lib/ondrix/ondrix-layer, lib/ondrix/ruffle/      the layer program and the player
#   share/ondrix/                                    languages, help, links.ini, the first-run
#                                                    picture and the sample themes
#   share/applications, share/icons/hicolor, share/metainfo, share/man, share/doc/ondrix
# The program finds its files relative to itself (bin/../share/ondrix, bin/../lib/ondrix), so
# the tree works under any prefix; the user's files go to the user's data folder.
set(ONDRIX_ID org.ondrix.Ondrix)

install(TARGETS ondrix RUNTIME DESTINATION bin)
install(TARGETS ondrix-layer RUNTIME DESTINATION lib/ondrix)
if(ONDRIX_PLAYER)
    # The player's licences are recorded in the package's copyright file.
    install(DIRECTORY "${ONDRIX_PLAYER_DIR}/" DESTINATION lib/ondrix/ruffle PATTERN "LICENSE_*" EXCLUDE)
endif()
foreach(file IN LISTS ONDRIX_DATA_FILES)
    get_filename_component(_dir "${file}" DIRECTORY)
    install(FILES "${PROJECT_SOURCE_DIR}/data/${file}" DESTINATION "share/ondrix/${_dir}")
endforeach()
install(FILES ${ONDRIX_SAMPLE_THEME_FILES} DESTINATION share/ondrix/advThemes_)

# The menu entry, its icon at the icon theme's sizes, and what software centres show.
install(FILES "${PROJECT_SOURCE_DIR}/data/desktop/${ONDRIX_ID}.desktop" DESTINATION share/applications)
install(FILES "${PROJECT_SOURCE_DIR}/data/desktop/${ONDRIX_ID}.metainfo.xml" DESTINATION share/metainfo)
install(FILES "${PROJECT_SOURCE_DIR}/src/ui/resources/app.svg" DESTINATION share/icons/hicolor/scalable/apps
        RENAME "${ONDRIX_ID}.svg")
set(_icons)
foreach(size 48 64 128 256)
    set(_png "${CMAKE_BINARY_DIR}/icons/${size}/${ONDRIX_ID}.png")
    add_custom_command(OUTPUT "${_png}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/icons/${size}"
        COMMAND ondrix-render-icon "${PROJECT_SOURCE_DIR}/src/ui/resources/app.svg" "${_png}" ${size}
        DEPENDS ondrix-render-icon "${PROJECT_SOURCE_DIR}/src/ui/resources/app.svg" VERBATIM)
    list(APPEND _icons "${_png}")
    install(FILES "${_png}" DESTINATION "share/icons/hicolor/${size}x${size}/apps")
endforeach()

# The manual page and the package's documents, compressed as Debian wants them.
set(_man "${CMAKE_BINARY_DIR}/doc/ondrix.1.gz")
set(_changelog "${CMAKE_BINARY_DIR}/doc/changelog.gz")
add_custom_command(OUTPUT "${_man}" "${_changelog}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/doc"
    COMMAND sh -c "gzip -9n < '${PROJECT_SOURCE_DIR}/data/doc/ondrix.1' > '${_man}'"
    COMMAND sh -c "gzip -9n < '${PROJECT_SOURCE_DIR}/data/doc/changelog' > '${_changelog}'"
    DEPENDS "${PROJECT_SOURCE_DIR}/data/doc/ondrix.1" "${PROJECT_SOURCE_DIR}/data/doc/changelog" VERBATIM)
add_custom_target(ondrix_install_files ALL DEPENDS ${_icons} "${_man}" "${_changelog}")
install(FILES "${_man}" DESTINATION share/man/man1)
install(FILES "${_changelog}" "${PROJECT_SOURCE_DIR}/data/doc/copyright" DESTINATION share/doc/ondrix)

# The Debian package: cmake --build build --target package (or cpack in the build folder).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ondrix)
set(CPACK_PACKAGE_VENDOR "The Ondrix developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Ondrix developers <developers@ondrix.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Found by no library lookup: the toolkit's plugins that draw the program's SVG icons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "swaybg")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "desktop wallpaper manager with picture lists and live themes
Ondrix changes the desktop's wallpaper: it shows the pictures of the user's
picture lists one after another, on a timer or on demand, stretched, centred,
tiled, filled or fitted, across the desktop or on each monitor. Desktop themes
bring a page with a moving picture below every window, played by a bundled
Flash player (MIT or Apache-2.0).
.
It works on GNOME, KDE Plasma, Xfce, MATE, Cinnamon, sway and other wlroots
compositors, and bare X11 window managers.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
