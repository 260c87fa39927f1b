# The program's pictures, drawn at build time by orvex_draw_pictures at 1x and
# 2x, and the application icon in the sizes desktops ask for.
#
#   orvex_add_pictures(target)  compiles them into `target` under :/pictures
#
# Also lays out the desktop entry and the icons under ${CMAKE_BINARY_DIR}/share
# the way a user's ~/.local/share wants them (scripts/run.sh copies them), and
# installs them with the AppStream metainfo.

set(ORVEX_PICTURES background btnConfiguration btnStart btnStop btnPreview btnVideoProcessing btnOverlay
                   btnSnapShot btnHelp SnapShotUp SnapShotDown Brightness Contrast Hue Saturation GrayScale
                   Negative Rotation Mirror Configure)
set(ORVEX_ICON_SIZES 16 24 32 48 64 128 256)

function(orvex_add_pictures target)
  set(folder ${CMAKE_BINARY_DIR}/pictures)
  add_executable(orvex_draw_pictures ${PROJECT_SOURCE_DIR}/resources/DrawPictures.cpp)
  target_link_libraries(orvex_draw_pictures PRIVATE Qt6::Gui)
  set_target_properties(orvex_draw_pictures PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

  set(files)
  foreach(name IN LISTS ORVEX_PICTURES)
    list(APPEND files ${folder}/${name}.png ${folder}/${name}@2x.png)
  endforeach()
  foreach(size IN LISTS ORVEX_ICON_SIZES)
    list(APPEND files ${folder}/orvex-${size}.png)
  endforeach()
  add_custom_command(OUTPUT ${files}
    COMMAND orvex_draw_pictures ${folder}
    DEPENDS orvex_draw_pictures
    COMMENT "Drawing the program's pictures"
    VERBATIM)
  qt_add_resources(${target} orvex_pictures PREFIX /pictures BASE ${folder} FILES ${files})

  # share/applications/orvex.desktop and share/icons/hicolor/NxN/apps/orvex.png
  set(share ${CMAKE_BINARY_DIR}/share)
  set(icons)
  foreach(size IN LISTS ORVEX_ICON_SIZES)
    set(icon ${share}/icons/hicolor/${size}x${size}/apps/orvex.png)
    add_custom_command(OUTPUT ${icon}
      COMMAND ${CMAKE_COMMAND} -E copy ${folder}/orvex-${size}.png ${icon}
      DEPENDS ${folder}/orvex-${size}.png
      VERBATIM)
    list(APPEND icons ${icon})
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  configure_file(${PROJECT_SOURCE_DIR}/resources/orvex.desktop ${share}/applications/orvex.desktop COPYONLY)
  add_custom_target(orvex_desktop_files ALL DEPENDS ${icons})
  install(FILES ${PROJECT_SOURCE_DIR}/resources/orvex.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  # What software centres show of the program.
  install(FILES ${PROJECT_SOURCE_DIR}/resources/com.brevantix.orvex.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
endfunction()
