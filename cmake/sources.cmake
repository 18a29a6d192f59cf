# Source lists shared by the Windows builds and the native build.

# Code without windows.h: built everywhere, unit-tested and fuzzed natively.
set(SETUPMENU_PORTABLE_SOURCES
  config/bitmap_check.cpp
  config/conditions.cpp
  config/language_tags.cpp
  config/text_encoding.cpp
  config/text_rules.cpp
  diag/log_line.cpp
  startup/command_tail.cpp
  startup/program_paths.cpp
  ui/access_rules.cpp
  ui/launch_policy.cpp
  ui/layout_math.cpp
)

# Code on the Win32 API, except the entry point and the heap seam.
set(SETUPMENU_WIN32_SOURCES
  startup/setup_state.cpp
  startup/bounded_format.cpp
  startup/locate.cpp
  startup/system_library.cpp
  startup/teardown.cpp
  config/profile.cpp
  config/file_encoding.cpp
  config/load_splash.cpp
  config/load_main.cpp
  config/load_buttons.cpp
  config/condition_checks.cpp
  config/file_exists.cpp
  startup/language_file.cpp
  startup/one_menu.cpp
  diag/debug_log.cpp
  ui/backdrop.cpp
  ui/menu_dialog.cpp
  ui/launch_command.cpp
  ui/layout.cpp
  ui/hover.cpp
  ui/selection.cpp
  ui/accessible.cpp
  ui/shown_text.cpp
)
