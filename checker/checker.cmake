# The configuration checker: a console program built from the launcher's own
# configuration code (setupmenu_core), so it reads exactly what the launcher reads.
add_executable(SetupMenuCheck
  ${PROJECT_SOURCE_DIR}/checker/check_main.cpp
  ${PROJECT_SOURCE_DIR}/checker/autorun_rules.cpp
  ${PROJECT_SOURCE_DIR}/checker/check_autorun.cpp
  ${PROJECT_SOURCE_DIR}/checker/check_conditions.cpp
  ${PROJECT_SOURCE_DIR}/checker/check_config.cpp
  ${PROJECT_SOURCE_DIR}/checker/known_keys.cpp
  ${PROJECT_SOURCE_DIR}/checker/report.cpp
  ${PROJECT_SOURCE_DIR}/checker/value_checks.cpp
  ${PROJECT_SOURCE_DIR}/checker/watch.cpp
  ${PROJECT_SOURCE_DIR}/checker/watch_rules.cpp
  ${PROJECT_SOURCE_DIR}/checker/checker.rc)
# The live preview shows the launcher's own menu dialog and pointers.
add_dependencies(SetupMenuCheck setupmenu_art)
set_property(SOURCE ${PROJECT_SOURCE_DIR}/checker/checker.rc APPEND PROPERTY OBJECT_DEPENDS
  ${PROJECT_SOURCE_DIR}/resources/setupmenu.manifest
  ${PROJECT_SOURCE_DIR}/resources/dialogs.rc
  ${PROJECT_SOURCE_DIR}/resources/pointers.rc
  ${PROJECT_SOURCE_DIR}/resources/resource_ids.h
  ${SETUPMENU_ART_OUTPUTS})
target_compile_options(SetupMenuCheck PRIVATE ${SETUPMENU_PRODUCT_COMPILE_OPTIONS})
target_link_options(SetupMenuCheck PRIVATE ${SETUPMENU_PRODUCT_LINK_OPTIONS} -municode)
target_link_libraries(SetupMenuCheck PRIVATE setupmenu_core setupmenu_heap)
set_target_properties(SetupMenuCheck PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
