fw_add_test(test_geometry grid/test_geometry.cpp grid/CameraModel.h LIBS fw_core)
fw_add_test(test_completion grid/test_completion.cpp grid/GridFixtures.h LIBS fw_core)
fw_add_test(test_gridfiles grid/test_gridfiles.cpp grid/GridFixtures.h LIBS fw_core)
fw_add_test(test_accuracy grid/test_accuracy.cpp grid/GridFixtures.h LIBS fw_core)
