tundrel_add_gtest(updater_swap_test LABEL unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/updater_swap_test.cpp
    LIBS tundrel_updater)
