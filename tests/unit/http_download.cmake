tundrel_add_gtest(http_download_test LABEL unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/http_download_test.cpp
    LIBS tundrel_platform_core)
