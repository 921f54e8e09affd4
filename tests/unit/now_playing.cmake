tundrel_add_gtest(now_playing_test LABEL unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/now_playing_test.cpp
    LIBS tundrel_playback_core)
