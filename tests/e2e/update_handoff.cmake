tundrel_add_gtest(update_handoff_test LABEL e2e
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/update_handoff_test.cpp
    LIBS tundrel_update_handoff tundrel_settings tundrel_platform_gui_common)
add_dependencies(update_handoff_test updater_fake_player)
