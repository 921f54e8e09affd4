# The picker talks to the window layer; the catalogue itself builds and tests without it.
add_library(tundrel_stations_picker STATIC station_picker.cpp)
target_link_libraries(tundrel_stations_picker PUBLIC tundrel_stations tundrel_settings tundrel_platform_gui)
