# The Flash player files of the application folder (from npm, never committed).
option(ONDRIX_PLAYER "Install the Flash player files from npm into the application folder" ON)
if(ONDRIX_PLAYER)
    find_program(ONDRIX_NPM npm)
    set(ONDRIX_PLAYER_DIR "${ONDRIX_APP_DIR}/ruffle")
    set(_player_stamp "${CMAKE_BINARY_DIR}/player/installed.stamp")
    add_custom_command(OUTPUT "${_player_stamp}"
        COMMAND ${CMAKE_COMMAND} "-DNPM=${ONDRIX_NPM}" "-DSOURCE=${PROJECT_SOURCE_DIR}/player"
                "-DWORK=${CMAKE_BINARY_DIR}/player" "-DDEST=${ONDRIX_PLAYER_DIR}" "-DSTAMP=${_player_stamp}"
                -P "${PROJECT_SOURCE_DIR}/cmake/InstallPlayer.cmake"
        DEPENDS "${PROJECT_SOURCE_DIR}/player/package.json" "${PROJECT_SOURCE_DIR}/player/package-lock.json"
                "${PROJECT_SOURCE_DIR}/cmake/InstallPlayer.cmake"
        COMMENT "Installing the Flash player files")
    add_custom_target(ondrix_player ALL DEPENDS "${_player_stamp}")
    add_dependencies(ondrix_appdir ondrix_player)
endif()
