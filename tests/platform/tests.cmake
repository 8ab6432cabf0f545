fw_add_test(test_platform platform/test_platform.cpp LIBS fw_ui)
