# Reads the resources and the PE basics back out of the built launchers:
# SETUPMENU_EXE32 (the 32-bit product) and SETUPMENU_EXE64 (the wine64 build),
# and the manifest out of both builds of the configuration checker.
if(NOT Python3_EXECUTABLE)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
endif()
set(SETUPMENU_RESOURCE_CHECK ${PROJECT_SOURCE_DIR}/tests/resources/check_resources.py)

if(SETUPMENU_EXE32)
  add_test(NAME resources.exe32
           COMMAND ${Python3_EXECUTABLE} ${SETUPMENU_RESOURCE_CHECK} --bits 32 ${SETUPMENU_EXE32})
endif()
if(SETUPMENU_EXE64)
  add_test(NAME resources.exe64
           COMMAND ${Python3_EXECUTABLE} ${SETUPMENU_RESOURCE_CHECK} --bits 64 ${SETUPMENU_EXE64})
endif()
if(SETUPMENU_CHECKER32)
  add_test(NAME resources.checker32
           COMMAND ${Python3_EXECUTABLE} ${SETUPMENU_RESOURCE_CHECK} --bits 32 --checker ${SETUPMENU_CHECKER32})
endif()
add_test(NAME resources.checker64
         COMMAND ${Python3_EXECUTABLE} ${SETUPMENU_RESOURCE_CHECK} --bits 64 --checker $<TARGET_FILE:SetupMenuCheck>)
# The manifest rules themselves, against variants of the manifest that each break one.
add_test(NAME resources.manifest_rules
         COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/resources/manifest_rules_test.py
                 ${PROJECT_SOURCE_DIR}/resources/setupmenu.manifest)
