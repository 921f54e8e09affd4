tundrel_add_gtest(skin_test LABEL platform
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_test.cpp
    LIBS tundrel_skin tundrel_stations_picker tundrel_settings
    ENV QT_QPA_PLATFORM=offscreen)
