fw_add_test(test_settings settings/test_settings.cpp LIBS fw_core)
