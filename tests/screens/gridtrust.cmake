fw_add_test(test_gridtrust screens/test_gridtrust.cpp LIBS fw_ui)
