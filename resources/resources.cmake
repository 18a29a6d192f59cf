# Cursor and icon images: built from the text art in resources/art by
# make_art.py into the build tree, where setupmenu.rc picks them up (the
# resource compiler searches the build root among its include directories).
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(SETUPMENU_ART_DIR ${PROJECT_SOURCE_DIR}/resources/art)
set(SETUPMENU_ART_OUT ${PROJECT_BINARY_DIR}/resources/generated)
set(SETUPMENU_ART_FILES arrow.txt hand.txt icon16.txt icon32.txt)
set(SETUPMENU_ART_OUTPUTS)
foreach(name cursor_normal.img cursor_normal.grp cursor_hover.img cursor_hover.grp
             icon16.img icon32.img icon.grp)
  list(APPEND SETUPMENU_ART_OUTPUTS ${SETUPMENU_ART_OUT}/${name})
endforeach()
list(TRANSFORM SETUPMENU_ART_FILES PREPEND ${SETUPMENU_ART_DIR}/)

add_custom_command(
  OUTPUT ${SETUPMENU_ART_OUTPUTS}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/resources/make_art.py
          ${PROJECT_SOURCE_DIR}/resources/resource_ids.h ${SETUPMENU_ART_DIR} ${SETUPMENU_ART_OUT}
  DEPENDS ${PROJECT_SOURCE_DIR}/resources/make_art.py
          ${PROJECT_SOURCE_DIR}/resources/resource_ids.h
          ${SETUPMENU_ART_FILES}
  COMMENT "Building cursor and icon images from resources/art"
  VERBATIM)
add_custom_target(setupmenu_art DEPENDS ${SETUPMENU_ART_OUTPUTS})
add_dependencies(SetupMenu setupmenu_art)

# The resource compiler's dependency scan sees #include only: name the
# included scripts and the generated images here so that edits rebuild the .res.
set_property(SOURCE ${PROJECT_SOURCE_DIR}/resources/setupmenu.rc APPEND PROPERTY OBJECT_DEPENDS
  ${SETUPMENU_ART_OUTPUTS}
  ${PROJECT_SOURCE_DIR}/resources/dialogs.rc
  ${PROJECT_SOURCE_DIR}/resources/pointers.rc
  ${PROJECT_SOURCE_DIR}/resources/version.rc
  ${PROJECT_SOURCE_DIR}/resources/setupmenu.manifest
  ${PROJECT_SOURCE_DIR}/resources/resource_ids.h)
