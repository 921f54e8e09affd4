# The check listens on the fixed station-server port, hence LOCK.
tundrel_add_gtest(update_test LABEL unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/update_test.cpp
    LIBS tundrel_update
    LOCK)
