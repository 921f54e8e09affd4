# A libfmodex.so with most entry points missing, in a folder of its own so it never meets the real one.
add_library(partial_fmodex SHARED ${CMAKE_CURRENT_LIST_DIR}/fixtures/partial_engine.c)
target_include_directories(partial_fmodex PRIVATE ${PROJECT_SOURCE_DIR})
set_target_properties(partial_fmodex PROPERTIES OUTPUT_NAME fmodex
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fixtures/partial-engine)

tundrel_add_gtest(audio_engine_partial_test LABEL unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/audio_engine_test.cpp
    LIBS tundrel_playback_core
    ENV LD_LIBRARY_PATH=${CMAKE_BINARY_DIR}/fixtures/partial-engine)
add_dependencies(audio_engine_partial_test partial_fmodex)

# The binding against the real engine, once the engine is part of the build.
if(TARGET fmodex)
    tundrel_add_gtest(audio_engine_test LABEL unit
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/audio_engine_real_test.cpp
        LIBS tundrel_playback_core
        ENV LD_LIBRARY_PATH=${CMAKE_BINARY_DIR}/bin TUNDREL_AUDIO_OUT=null)
    add_dependencies(audio_engine_test fmodex)
endif()
