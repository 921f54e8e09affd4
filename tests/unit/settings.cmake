tundrel_add_gtest(settings_test LABEL unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_test.cpp
    LIBS tundrel_settings)
