# Programs and libraries that the end-to-end tests put into media folders,
# built for the tree's own bitness: the 64-bit tree for the 64-bit launcher's
# runs, the 32-bit tree (SETUPMENU_E2E_HELPERS) for the shipped launcher's.
set(SETUPMENU_E2E_DIR ${PROJECT_BINARY_DIR}/e2e)
# The child stands in for an installer and records how it was started. Like
# an installer it is a GUI program: a console program started from the menu
# gets a console window of its own, which takes the keyboard and may cover
# the menu for a moment.
add_executable(e2e_child ${PROJECT_SOURCE_DIR}/tests/e2e/child.cpp)
target_compile_options(e2e_child PRIVATE -Wall -Wextra)
target_link_options(e2e_child PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--subsystem,windows)
set_target_properties(e2e_child PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${SETUPMENU_E2E_DIR} OUTPUT_NAME child)

# A planted library for the DLL search test: a uxtheme.dll that leaves a
# marker beside itself in every process that loads it. It sits in a folder of
# its own, so that it is never beside a program that the tests run.
add_library(e2e_planted_uxtheme SHARED ${PROJECT_SOURCE_DIR}/tests/e2e/fake_uxtheme.cpp)
target_compile_options(e2e_planted_uxtheme PRIVATE -Wall -Wextra)
target_link_options(e2e_planted_uxtheme PRIVATE -static -static-libgcc -static-libstdc++)
set_target_properties(e2e_planted_uxtheme PROPERTIES OUTPUT_NAME uxtheme PREFIX ""
  RUNTIME_OUTPUT_DIRECTORY ${SETUPMENU_E2E_DIR}/planted)

# The launcher built exactly as the product, but as it runs on a system that
# lacks the function locking the DLL search (Windows Vista and 7 without the
# update that adds it): its entry looks up a name no system has. It must
# still start, and the DLL search test's evidence that the planted library is
# loaded when nothing stops it.
add_executable(e2e_unlocked_launcher WIN32 ${PROJECT_SOURCE_DIR}/startup/entry.cpp
  ${PROJECT_SOURCE_DIR}/startup/win_main.cpp ${PROJECT_SOURCE_DIR}/resources/setupmenu.rc)
target_compile_definitions(e2e_unlocked_launcher PRIVATE
  SETUPMENU_DLL_LOCK_FUNCTION="SetDefaultDllDirectoriesOnNoSystem")
target_compile_options(e2e_unlocked_launcher PRIVATE ${SETUPMENU_PRODUCT_COMPILE_OPTIONS})
target_link_options(e2e_unlocked_launcher PRIVATE ${SETUPMENU_PRODUCT_LINK_OPTIONS} -nostartfiles
  -Wl,-e,${SETUPMENU_ENTRY_SYMBOL})
target_link_libraries(e2e_unlocked_launcher PRIVATE setupmenu_core setupmenu_heap)
add_dependencies(e2e_unlocked_launcher setupmenu_art)
set_target_properties(e2e_unlocked_launcher PROPERTIES OUTPUT_NAME SetupMenuUnlocked
  RUNTIME_OUTPUT_DIRECTORY ${SETUPMENU_E2E_DIR})
