# The whole program's window through the real serial port and the COM alias folder,
# against tavrik-radio-sim serving a series of radios on a pseudo-terminal.
add_executable(app_e2e ${CMAKE_CURRENT_LIST_DIR}/app_e2e.cpp)
tavrik_target_defaults(app_e2e)
target_link_libraries(app_e2e PRIVATE app_window platform_core radiosim testsupport GTest::gtest
                      Qt6::Widgets)
target_compile_definitions(app_e2e PRIVATE
    TAVRIK_RADIO_SIM_PATH="$<TARGET_FILE:tavrik-radio-sim>")
add_dependencies(app_e2e tavrik-radio-sim)
add_test(NAME app_e2e COMMAND app_e2e)
set_tests_properties(app_e2e PROPERTIES TIMEOUT 60 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
