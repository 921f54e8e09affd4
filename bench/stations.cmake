tundrel_add_benchmark(stations_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/stations_bench.cpp
    LIBS tundrel_stations)
