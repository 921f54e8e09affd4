tundrel_add_benchmark(settings_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_bench.cpp
    LIBS tundrel_settings)
