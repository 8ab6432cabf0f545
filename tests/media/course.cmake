fw_add_test(test_media_jumpcourse media/test_jumpcourse.cpp LIBS fw_media)
