# The local demo stations (Icecast on 127.0.0.1:8420, mounts /demo.mp3, /demo.ogg, /demo-mono.mp3) as a
# CTest fixture: e2e tests that play them declare FIXTURES local_stations (and LOCK). The token makes
# the cleanup leave stations alone that were already running before the tests.
set(tundrel_local_stations ${PROJECT_SOURCE_DIR}/server/local-stations)
add_test(NAME local_stations_start COMMAND ${tundrel_local_stations} start --token ctest)
add_test(NAME local_stations_stop COMMAND ${tundrel_local_stations} stop --token ctest)
set_tests_properties(local_stations_start PROPERTIES
    FIXTURES_SETUP local_stations LABELS e2e RESOURCE_LOCK tundrel_server TIMEOUT 120)
set_tests_properties(local_stations_stop PROPERTIES
    FIXTURES_CLEANUP local_stations LABELS e2e RESOURCE_LOCK tundrel_server TIMEOUT 60)

add_test(NAME local_stations_check COMMAND ${CMAKE_CURRENT_LIST_DIR}/local_stations_check.py)
set_tests_properties(local_stations_check PROPERTIES
    FIXTURES_REQUIRED local_stations LABELS e2e RESOURCE_LOCK tundrel_server TIMEOUT 120)
