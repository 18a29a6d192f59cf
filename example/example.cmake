# The example media: a complete media folder in <build>/example-media with the
# launcher of this build, its configuration and autorun entry, the pictures
# drawn by make_bitmaps.py, its manual and two stand-in installers of this build's bitness.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(SETUPMENU_EXAMPLE_SOURCE ${PROJECT_SOURCE_DIR}/example)
set(SETUPMENU_EXAMPLE_MEDIA ${PROJECT_BINARY_DIR}/example-media)

# The installers buttons 1 and 2 start: one source, built once per button.
# Button 3 opens the manual.
set(example_installers)
foreach(n 1 2)
  add_executable(example_installer${n} WIN32 ${SETUPMENU_EXAMPLE_SOURCE}/installers/example_installer.cpp)
  target_compile_definitions(example_installer${n} PRIVATE EXAMPLE_NUMBER=${n} WIN32_LEAN_AND_MEAN)
  target_compile_options(example_installer${n} PRIVATE ${SETUPMENU_PRODUCT_COMPILE_OPTIONS})
  target_link_options(example_installer${n} PRIVATE ${SETUPMENU_PRODUCT_LINK_OPTIONS})
  set_target_properties(example_installer${n} PROPERTIES
    OUTPUT_NAME example${n}
    RUNTIME_OUTPUT_DIRECTORY ${SETUPMENU_EXAMPLE_MEDIA}/installers)
  list(APPEND example_installers example_installer${n})
endforeach()

# The pictures: the script names its own outputs.
execute_process(
  COMMAND ${Python3_EXECUTABLE} ${SETUPMENU_EXAMPLE_SOURCE}/make_bitmaps.py --list
  OUTPUT_VARIABLE example_bitmap_names
  OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SETUPMENU_EXAMPLE_SOURCE}/make_bitmaps.py)
string(REPLACE "\n" ";" example_bitmap_names "${example_bitmap_names}")
list(TRANSFORM example_bitmap_names PREPEND ${SETUPMENU_EXAMPLE_MEDIA}/ OUTPUT_VARIABLE example_bitmaps)
add_custom_command(
  OUTPUT ${example_bitmaps}
  COMMAND ${Python3_EXECUTABLE} ${SETUPMENU_EXAMPLE_SOURCE}/make_bitmaps.py ${SETUPMENU_EXAMPLE_MEDIA}
  DEPENDS ${SETUPMENU_EXAMPLE_SOURCE}/make_bitmaps.py ${SETUPMENU_EXAMPLE_SOURCE}/pixel_font.py
  COMMENT "Drawing the example media's pictures"
  VERBATIM)
add_custom_target(example_bitmaps DEPENDS ${example_bitmaps})

# The launcher, its configuration, the manual and the disc's autorun entry.
add_custom_command(
  OUTPUT ${SETUPMENU_EXAMPLE_MEDIA}/SetupMenu.exe ${SETUPMENU_EXAMPLE_MEDIA}/SetupMenu.ini
         ${SETUPMENU_EXAMPLE_MEDIA}/SetupMenu.de.INI ${SETUPMENU_EXAMPLE_MEDIA}/SetupMenu.el.INI
         ${SETUPMENU_EXAMPLE_MEDIA}/manual.txt
         ${SETUPMENU_EXAMPLE_MEDIA}/autorun.inf
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SETUPMENU_EXAMPLE_MEDIA}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:SetupMenu> ${SETUPMENU_EXAMPLE_MEDIA}/SetupMenu.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${SETUPMENU_EXAMPLE_SOURCE}/SetupMenu.ini ${SETUPMENU_EXAMPLE_MEDIA}/SetupMenu.ini
  COMMAND ${CMAKE_COMMAND} -E copy ${SETUPMENU_EXAMPLE_SOURCE}/SetupMenu.de.INI ${SETUPMENU_EXAMPLE_MEDIA}/SetupMenu.de.INI
  COMMAND ${CMAKE_COMMAND} -E copy ${SETUPMENU_EXAMPLE_SOURCE}/SetupMenu.el.INI ${SETUPMENU_EXAMPLE_MEDIA}/SetupMenu.el.INI
  COMMAND ${CMAKE_COMMAND} -E copy ${SETUPMENU_EXAMPLE_SOURCE}/manual.txt ${SETUPMENU_EXAMPLE_MEDIA}/manual.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${SETUPMENU_EXAMPLE_SOURCE}/autorun.inf ${SETUPMENU_EXAMPLE_MEDIA}/autorun.inf
  DEPENDS SetupMenu $<TARGET_FILE:SetupMenu> ${SETUPMENU_EXAMPLE_SOURCE}/SetupMenu.ini
          ${SETUPMENU_EXAMPLE_SOURCE}/SetupMenu.de.INI ${SETUPMENU_EXAMPLE_SOURCE}/SetupMenu.el.INI
          ${SETUPMENU_EXAMPLE_SOURCE}/manual.txt
          ${SETUPMENU_EXAMPLE_SOURCE}/autorun.inf
  COMMENT "Assembling the example media in ${SETUPMENU_EXAMPLE_MEDIA}"
  VERBATIM)

add_custom_target(example_media ALL
  DEPENDS ${SETUPMENU_EXAMPLE_MEDIA}/SetupMenu.exe ${SETUPMENU_EXAMPLE_MEDIA}/SetupMenu.ini
          ${SETUPMENU_EXAMPLE_MEDIA}/SetupMenu.de.INI ${SETUPMENU_EXAMPLE_MEDIA}/SetupMenu.el.INI
         ${SETUPMENU_EXAMPLE_MEDIA}/manual.txt
          ${SETUPMENU_EXAMPLE_MEDIA}/autorun.inf ${example_bitmaps})
add_dependencies(example_media example_bitmaps ${example_installers})
