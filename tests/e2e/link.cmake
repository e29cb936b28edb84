# The link through the real serial port against tavrik-radio-sim on a pseudo-terminal.
add_executable(link_e2e ${CMAKE_CURRENT_LIST_DIR}/link_e2e.cpp)
tavrik_target_defaults(link_e2e)
target_link_libraries(link_e2e PRIVATE link platform_core radiosim testsupport GTest::gtest
                      Qt6::Core)
target_compile_definitions(link_e2e PRIVATE
    TAVRIK_RADIO_SIM_PATH="$<TARGET_FILE:tavrik-radio-sim>")
add_dependencies(link_e2e tavrik-radio-sim)
add_test(NAME link_e2e COMMAND link_e2e)
set_tests_properties(link_e2e PROPERTIES TIMEOUT 60)
