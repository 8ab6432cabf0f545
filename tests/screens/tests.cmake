fw_add_test(test_shell screens/test_shell.cpp LIBS fw_ui)
fw_add_test(test_measure screens/test_measure.cpp LIBS fw_ui)
