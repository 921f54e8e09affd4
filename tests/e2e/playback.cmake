# Playing the radio end to end: the real player on a virtual display against the local Icecast and the
# station server, its audio captured to a file. The screen's texts are told apart by rendering the
# candidates with the player's own drawing code on the same display.
tundrel_add_gtest(playback_test LABEL e2e
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/playback_test.cpp
    LIBS tundrel_e2e_harness tundrel_skin tundrel_settings
    LOCK
    FIXTURES local_stations
    TIMEOUT 120)
