# Gives a Windows program the product's manifest, its version information
# (DESCRIPTION is what Explorer shows as the file's description) and, with
# ICON, the product's icon (made from the assets' PNGs with ImageMagick).
set(CORVATH_WINDOWS_MANIFEST ${PROJECT_SOURCE_DIR}/packaging/windows/windows_program.manifest)
set(CORVATH_WINDOWS_RC_IN ${PROJECT_SOURCE_DIR}/packaging/windows/windows_program.rc.in)

function(corvath_windows_resources target)
  cmake_parse_arguments(ARG "ICON" "DESCRIPTION" "" ${ARGN})
  set(CORVATH_MANIFEST ${CORVATH_WINDOWS_MANIFEST})
  set(CORVATH_DESCRIPTION "${ARG_DESCRIPTION}")
  set(CORVATH_FILE_NAME "${target}.exe")
  set(CORVATH_ICON_LINE "")
  if(ARG_ICON)
    find_program(CORVATH_IMAGEMAGICK NAMES convert REQUIRED)
    set(icon ${CMAKE_BINARY_DIR}/resources/corvath.ico)
    set(pngs ${PROJECT_SOURCE_DIR}/assets/icons/corvath-16.png ${PROJECT_SOURCE_DIR}/assets/icons/corvath-32.png
             ${PROJECT_SOURCE_DIR}/assets/icons/corvath-48.png)
    add_custom_command(OUTPUT ${icon}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/resources
      COMMAND ${CORVATH_IMAGEMAGICK} ${pngs} ${icon}
      DEPENDS ${pngs} VERBATIM)
    set(CORVATH_ICON_LINE "1 ICON \"${icon}\"")
  endif()
  set(rc ${CMAKE_BINARY_DIR}/resources/${target}.rc)
  configure_file(${CORVATH_WINDOWS_RC_IN} ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${CORVATH_WINDOWS_MANIFEST};${icon}")
endfunction()
