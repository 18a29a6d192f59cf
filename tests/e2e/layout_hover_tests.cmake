# The menu dialog's layout and the hover tracking: test_layout.py and
# test_hover.py, registered by the glob in e2e_tests.cmake as e2e.layout and
# e2e.hover. Each runs the launcher only a few times (about 10 to 15 s), so
# a much shorter limit than the default catches a hang early. The hover
# tests drive the real pointer and read the X cursor through libX11 and
# libXfixes.
foreach(test e2e.layout e2e.hover)
  if(TEST ${test})
    set_tests_properties(${test} PROPERTIES TIMEOUT 120 LABELS "e2e;layout_hover")
  endif()
endforeach()
