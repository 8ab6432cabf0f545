fw_add_test(test_shell screens/test_shell.cpp LIBS fw_ui)
