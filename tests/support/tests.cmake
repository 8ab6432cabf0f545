fw_add_test(test_textforms support/test_textforms.cpp LIBS fw_core)
fw_add_test(test_fieldreader support/test_fieldreader.cpp LIBS fw_core)
fw_add_test(test_files support/test_files.cpp LIBS fw_core)
