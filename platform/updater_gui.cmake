# The toolkit's application object and the message box (player and updater), and the updater's
# status-strip window. Qt Widgets on X11.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
pkg_check_modules(TUNDREL_XCB REQUIRED IMPORTED_TARGET xcb)

add_library(tundrel_platform_gui_common STATIC gui_application.cpp message_box.cpp)
target_link_libraries(tundrel_platform_gui_common PUBLIC tundrel_common PRIVATE Qt6::Widgets PkgConfig::TUNDREL_XCB)

add_library(tundrel_platform_updater_gui STATIC updater_window.cpp)
target_link_libraries(tundrel_platform_updater_gui PUBLIC tundrel_platform_gui_common PRIVATE Qt6::Widgets)
