tundrel_add_gtest(common_test LABEL unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/common_test.cpp
    LIBS tundrel_common)
