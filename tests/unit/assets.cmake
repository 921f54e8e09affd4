# libpng only decodes here, in the test; the product decodes through the platform layer.
find_package(PNG REQUIRED)
tundrel_add_gtest(assets_test LABEL unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/assets_test.cpp
    LIBS tundrel_assets PNG::PNG)
