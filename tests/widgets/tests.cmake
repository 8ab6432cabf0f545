fw_add_test(test_widgets_pictureview widgets/test_widgets_pictureview.cpp LIBS fw_ui)
# The same tests on a screen scaled by 2: a click on a picture pixel must give the same twips.
fw_add_test(test_widgets_pictureview_scaled widgets/test_widgets_pictureview.cpp LIBS fw_ui)
target_compile_definitions(test_widgets_pictureview_scaled PRIVATE FW_SCREEN_SCALE_2)
