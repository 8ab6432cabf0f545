fw_add_test(test_capture_pass media/test_capture_pass.cpp LIBS fw_media)
