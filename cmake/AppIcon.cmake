# The program's icon: the hand-drawn SVG under data/icons, rendered to PNGs at build time by
# pk_render_icon (Qt Svg), compiled into pk_widgets as :/icons/photokestry-<size>.png for the
# window icon, and installed into the freedesktop icon theme with the .desktop entry.
# Included from src/CMakeLists.txt, after pk_widgets and photokestry are defined.

set(PK_ICON_SVG ${PROJECT_SOURCE_DIR}/data/icons/hicolor/scalable/apps/photokestry.svg)
set(PK_ICON_SIZES 48 128 256)

add_executable(pk_render_icon ${PROJECT_SOURCE_DIR}/src/tools/RenderIcon.cpp)
target_link_libraries(pk_render_icon PRIVATE Qt6::Gui Qt6::Svg)

set(PK_ICON_PNGS "")
foreach(size ${PK_ICON_SIZES})
  set(png ${CMAKE_CURRENT_BINARY_DIR}/icons/photokestry-${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons
    COMMAND pk_render_icon ${PK_ICON_SVG} ${png} ${size}
    DEPENDS pk_render_icon ${PK_ICON_SVG}
    COMMENT "Rendering the program icon at ${size} pixels" VERBATIM)
  list(APPEND PK_ICON_PNGS ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME photokestry.png)
endforeach()

qt_add_resources(pk_widgets pk_icons PREFIX /icons BASE ${CMAKE_CURRENT_BINARY_DIR}/icons
  FILES ${PK_ICON_PNGS})

install(FILES ${PK_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/photokestry.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
