# Hostile media and the processes the launcher starts: test_hostile_media.py
# and test_no_surprise_processes.py, registered by the glob in e2e_tests.cmake
# as e2e.hostile_media and e2e.no_surprise_processes. Both fail at once on a
# Wine crash dialog; a hang shows as a launcher that does not show its menu in
# the usual time, so a limit well below the default is enough.
foreach(test e2e.hostile_media e2e.no_surprise_processes)
  if(TEST ${test})
    set_tests_properties(${test} PROPERTIES TIMEOUT 240 LABELS "e2e;hostile")
  endif()
endforeach()
