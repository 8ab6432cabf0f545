fw_add_test(test_demo_road screens/test_demo_road.cpp LIBS fw_ui)
