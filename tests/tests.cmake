# Windows-side tests (64-bit build, run under wine64 through the emulator).
include(${PROJECT_SOURCE_DIR}/tests/wine/wine.cmake)
