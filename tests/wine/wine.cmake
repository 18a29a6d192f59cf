# The Wine environment of the Windows-side tests: one prefix, one display and
# one wineserver for the whole run, kept inside the build tree.
set(SETUPMENU_WINE_STATE ${PROJECT_BINARY_DIR}/wine)
configure_file(${PROJECT_SOURCE_DIR}/tests/wine/wine-run.sh.in ${SETUPMENU_WINE_STATE}/wine-run.sh
  @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(SETUPMENU_WINE_RUN ${SETUPMENU_WINE_STATE}/wine-run.sh)
# Every Windows test executable created after this point runs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${SETUPMENU_WINE_RUN})

add_test(NAME wine.start COMMAND ${PROJECT_SOURCE_DIR}/tests/wine/wine-env.sh start ${SETUPMENU_WINE_STATE})
add_test(NAME wine.stop COMMAND ${PROJECT_SOURCE_DIR}/tests/wine/wine-env.sh stop ${SETUPMENU_WINE_STATE})
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)

# Marks tests that run under Wine: they need the environment and run one at a time.
function(setupmenu_wine_test name)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine)
endfunction()
