tundrel_add_gtest(window_test LABEL e2e
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_test.cpp
    LIBS tundrel_e2e_harness
    LOCK
    TIMEOUT 120)
