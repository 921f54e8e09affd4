tundrel_add_gtest(platform_files_test LABEL unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/platform_files_test.cpp
    LIBS tundrel_platform_core)
