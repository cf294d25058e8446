# Installs the Flash player from the npm registry, at the exact version and integrity of
# player/package-lock.json, and lays its files out in the application folder.
# Called with -DNPM=... -DSOURCE=<player folder> -DWORK=<build folder> -DDEST=<app folder>/ruffle -DSTAMP=...
if(NOT NPM)
    message(FATAL_ERROR "npm is needed to install the Flash player (Debian package npm); "
                        "run ./scripts/deps, or configure with -DONDRIX_PLAYER=OFF to build without it.")
endif()

file(MAKE_DIRECTORY "${WORK}")
file(COPY "${SOURCE}/package.json" "${SOURCE}/package-lock.json" DESTINATION "${WORK}")
execute_process(
    COMMAND "${NPM}" ci --ignore-scripts --no-audit --no-fund --loglevel=error
    WORKING_DIRECTORY "${WORK}"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Installing the Flash player from npm failed (exit ${result}). The package must "
                        "match the version and integrity hash of player/package-lock.json; a damaged or "
                        "missing download stops the build here.")
endif()

set(package "${WORK}/node_modules/@ruffle-rs/ruffle")
file(GLOB cores "${package}/core.ruffle.*.js")
file(GLOB modules "${package}/*.wasm")
if(NOT EXISTS "${package}/ruffle.js" OR NOT cores OR NOT modules)
    message(FATAL_ERROR "The Flash player package in ${package} lacks ruffle.js, its core script or its "
                        "WebAssembly module; the download is incomplete.")
endif()

file(REMOVE_RECURSE "${DEST}")
file(MAKE_DIRECTORY "${DEST}")
file(COPY "${package}/ruffle.js" ${cores} ${modules} "${package}/LICENSE_MIT" "${package}/LICENSE_APACHE"
     DESTINATION "${DEST}")
# The program's probe looks for every file named here: the player runs only when all are there.
set(manifest "ruffle.js\n")
foreach(file IN LISTS cores modules)
    get_filename_component(name "${file}" NAME)
    string(APPEND manifest "${name}\n")
endforeach()
file(WRITE "${DEST}/player-files" "${manifest}")
file(TOUCH "${STAMP}")
