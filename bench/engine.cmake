# The engine's whole-process benchmark: engine_driver plays a URL through libfmodex.so;
# bench/engine/compare.sh runs it beside mpv and gst-play-1.0 on the same local mount.
add_executable(engine_driver ${CMAKE_CURRENT_SOURCE_DIR}/engine/engine_driver.cpp)
target_include_directories(engine_driver PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(engine_driver PRIVATE fmodex)
