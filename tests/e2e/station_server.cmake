# The station-list server script and the files it serves. Its servers take free ports, so no lock.
add_test(NAME station_server_check COMMAND ${CMAKE_CURRENT_LIST_DIR}/station_server_check.py)
set_tests_properties(station_server_check PROPERTIES LABELS e2e TIMEOUT 60)
