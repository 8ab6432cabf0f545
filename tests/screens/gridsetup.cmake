fw_add_test(test_gridsetup screens/test_gridsetup.cpp LIBS fw_ui)
