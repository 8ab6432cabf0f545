fw_add_test(test_capture media/test_capture.cpp LIBS fw_media)
