# Reads the resources and the PE basics back out of the built launchers:
# SETUPMENU_EXE32 (the 32-bit product) and SETUPMENU_EXE64 (the wine64 build).
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
