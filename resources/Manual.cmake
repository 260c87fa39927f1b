# The user manual and the man page.
#
# The manual is the HTML of resources/manual with pictures of the program's
# own windows, taken at build time by orvex_manual_screenshots on Qt's
# offscreen platform with the built-in test devices. It lands in bin/manual
# beside the program, where the Help button finds it in a build tree, and is
# installed to ${ORVEX_INSTALL_MANUALDIR}, where it finds it in an installed one.
set(ORVEX_MANUAL_PAGES index.html manual.css)
set(ORVEX_MANUAL_PICTURES main-window preview-window program-settings video-processing video-overlay
                          overlay-text-hint snapshot about-box)

function(orvex_add_manual)
  set(source ${PROJECT_SOURCE_DIR}/resources/manual)
  set(folder ${CMAKE_BINARY_DIR}/bin/manual)
  add_executable(orvex_manual_screenshots ${source}/TakeScreenshots.cpp)
  target_link_libraries(orvex_manual_screenshots PRIVATE orvex_app)
  set_target_properties(orvex_manual_screenshots PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

  set(files)
  foreach(page IN LISTS ORVEX_MANUAL_PAGES)
    add_custom_command(OUTPUT ${folder}/${page}
      COMMAND ${CMAKE_COMMAND} -E copy ${source}/${page} ${folder}/${page}
      DEPENDS ${source}/${page}
      VERBATIM)
    list(APPEND files ${folder}/${page})
  endforeach()
  set(pictures)
  foreach(name IN LISTS ORVEX_MANUAL_PICTURES)
    list(APPEND pictures ${folder}/pictures/${name}.png)
  endforeach()
  # Leaks in a build tool that ends at once do not matter; the sanitizer's
  # verdict on them would only fail the build.
  add_custom_command(OUTPUT ${pictures}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:orvex_manual_screenshots> ${folder}/pictures $<TARGET_FILE:orvexfilters>
    DEPENDS orvex_manual_screenshots orvexfilters
    COMMENT "Taking the manual's pictures of the program's windows"
    VERBATIM)

  # The man page, compressed as Debian keeps man pages.
  set(manpage ${CMAKE_BINARY_DIR}/share/man/man1/orvex.1.gz)
  add_custom_command(OUTPUT ${manpage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/share/man/man1
    COMMAND sh -c "gzip -9 -n -c \"$1\" > \"$2\"" sh ${PROJECT_SOURCE_DIR}/resources/orvex.1 ${manpage}
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/orvex.1
    VERBATIM)

  add_custom_target(orvex_manual ALL DEPENDS ${files} ${pictures} ${manpage})
  install(DIRECTORY ${folder}/ DESTINATION ${ORVEX_INSTALL_MANUALDIR})
  install(FILES ${manpage} DESTINATION ${ORVEX_INSTALL_MANDIR})
endfunction()
