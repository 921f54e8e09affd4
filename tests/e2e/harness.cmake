# The end-to-end harness: virtual displays, the station-list server, the player and what it shows.
find_package(X11 REQUIRED)
find_package(PNG REQUIRED)
add_library(tundrel_e2e_harness STATIC ${CMAKE_CURRENT_LIST_DIR}/harness.cpp)
target_include_directories(tundrel_e2e_harness PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tundrel_e2e_harness PUBLIC X11::X11 PNG::PNG)
target_compile_definitions(tundrel_e2e_harness PRIVATE
    TUNDREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}" TUNDREL_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    TUNDREL_SERVER_URL="${TUNDREL_SERVER_URL}")
# The tests run the built player beside its engine.
foreach(program TUNDRELlite fmodex)
    if(TARGET ${program})
        add_dependencies(tundrel_e2e_harness ${program})
    endif()
endforeach()
