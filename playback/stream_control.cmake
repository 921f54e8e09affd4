# Stream control needs the skin and the picker, so it lives apart from the display-free playback core.
add_library(tundrel_playback STATIC stream_control.cpp)
target_link_libraries(tundrel_playback PUBLIC tundrel_playback_core tundrel_skin tundrel_stations_picker)
