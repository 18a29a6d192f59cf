# Stand-ins that the end-to-end tests put into media folders, built for the
# tree's own bitness: the 64-bit tree for the 64-bit launcher's runs, the
# 32-bit tree (SETUPMENU_E2E_HELPERS) for the shipped launcher's.
set(SETUPMENU_E2E_DIR ${PROJECT_BINARY_DIR}/e2e)
# The child stands in for an installer and records how it was started. Like
# an installer it is a GUI program: a console program started from the menu
# gets a console window of its own, which takes the keyboard and may cover
# the menu for a moment.
add_executable(e2e_child ${PROJECT_SOURCE_DIR}/tests/e2e/child.cpp)
target_compile_options(e2e_child PRIVATE -Wall -Wextra)
target_link_options(e2e_child PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--subsystem,windows)
set_target_properties(e2e_child PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${SETUPMENU_E2E_DIR} OUTPUT_NAME child)
