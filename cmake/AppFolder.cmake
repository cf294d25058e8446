# Lays out the application folder at build time (the portable layout; the installed one is in
# Install.cmake).
set(ONDRIX_APP_FOLDERS
    Languages
    imgLists/WorkDir
    imgLists/Recycled
    imgLists/Quorvane
    advThemes_/WorkDir
    advThemes_/Recycled)

set(ONDRIX_DATA_FILES
    links.ini
    Help/help.css
    Help/index.html
    Help/themes.html
    Help/imagelists.html
    Help/news.html
    Help/about.html
    Help/contact.html
    imgLists/Quorvane/ilwallpap.jpg
    Languages/english.lng
    Languages/deutsch.lng
    Languages/francais.lng
    Languages/flags/flag.ico
    Languages/flags/gb.ico
    Languages/flags/de.ico
    Languages/flags/fr.ico)

set(_appdir_commands)
foreach(folder IN LISTS ONDRIX_APP_FOLDERS)
    list(APPEND _appdir_commands COMMAND ${CMAKE_COMMAND} -E make_directory "${ONDRIX_APP_DIR}/${folder}")
endforeach()
set(_appdir_outputs)
foreach(file IN LISTS ONDRIX_DATA_FILES)
    get_filename_component(_dir "${file}" DIRECTORY)
    add_custom_command(OUTPUT "${ONDRIX_APP_DIR}/${file}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${ONDRIX_APP_DIR}/${_dir}"
        COMMAND ${CMAKE_COMMAND} -E copy "${CMAKE_SOURCE_DIR}/data/${file}" "${ONDRIX_APP_DIR}/${file}"
        DEPENDS "${CMAKE_SOURCE_DIR}/data/${file}")
    list(APPEND _appdir_outputs "${ONDRIX_APP_DIR}/${file}")
endforeach()
add_custom_target(ondrix_appdir ALL ${_appdir_commands} DEPENDS ${_appdir_outputs}
    COMMENT "Laying out the application folder")
add_dependencies(ondrix ondrix_appdir)
