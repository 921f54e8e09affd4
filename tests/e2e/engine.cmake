# The audio engine's end-to-end tests: libfmodex.so against a Python stream server of our own
# (fixtures/stream_server.py, started by the test on a free port) and against the local Icecast.
if(TARGET fmodex)
    tundrel_add_gtest(engine_test LABEL e2e SOURCES ${CMAKE_CURRENT_LIST_DIR}/engine_test.cpp LIBS fmodex
                      TIMEOUT 60)
    tundrel_add_gtest(engine_stations_test LABEL e2e
                      SOURCES ${CMAKE_CURRENT_LIST_DIR}/engine_stations_test.cpp LIBS fmodex
                      LOCK FIXTURES local_stations TIMEOUT 90)
endif()
