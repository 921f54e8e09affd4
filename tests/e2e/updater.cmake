# The real updater under Xvfb with a window manager, against an HTTP server on the fixed port.
add_executable(updater_fake_player ${CMAKE_CURRENT_LIST_DIR}/updater_fake_player.cpp)
tundrel_add_gtest(updater_test LABEL e2e
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/updater_test.cpp
    LIBS tundrel_common tundrel_platform_core
    LOCK TIMEOUT 180)
add_dependencies(updater_test updaterlite updater_fake_player)
