tundrel_add_gtest(updater_window_test LABEL platform
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/updater_window_test.cpp
    LIBS tundrel_updater_program
    ENV QT_QPA_PLATFORM=offscreen)
