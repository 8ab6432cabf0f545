fw_add_test(test_faults fault/test_faults.cpp LIBS fw_core)
