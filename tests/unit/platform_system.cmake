tundrel_add_gtest(platform_system_test LABEL unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/platform_system_test.cpp
    LIBS tundrel_platform_core)
