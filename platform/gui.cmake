find_package(Qt6 REQUIRED COMPONENTS Widgets)
find_package(PNG REQUIRED)
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb)

add_library(tundrel_platform_gui STATIC gui_core.cpp gui_windows.cpp gui_controls.cpp gui_images.cpp)
target_link_libraries(tundrel_platform_gui PUBLIC tundrel_platform_core tundrel_platform_gui_common
    PRIVATE Qt6::Widgets PNG::PNG PkgConfig::XCB)
set_target_properties(tundrel_platform_gui PROPERTIES AUTOMOC OFF)
