fw_add_test(test_geometry grid/test_geometry.cpp grid/CameraModel.h LIBS fw_core)
