tundrel_add_gtest(stations_test LABEL unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/stations_test.cpp
    LIBS tundrel_stations
    TIMEOUT 180)
