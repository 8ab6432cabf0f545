fw_add_test(test_capture_screen screens/test_capture_screen.cpp LIBS fw_ui)
