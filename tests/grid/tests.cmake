fw_add_test(test_grid_geometry grid/test_geometry.cpp grid/CameraModel.h grid/GridFixtures.h LIBS fw_core)
fw_add_test(test_grid_completion grid/test_completion.cpp grid/GridFixtures.h LIBS fw_core)
fw_add_test(test_grid_files grid/test_gridfiles.cpp grid/GridFixtures.h LIBS fw_core)
fw_add_test(test_grid_accuracy grid/test_accuracy.cpp grid/GridFixtures.h LIBS fw_core)
