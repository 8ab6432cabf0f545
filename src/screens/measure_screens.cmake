list(APPEND fw_ui_sources
    screens/MeasureForm.cpp screens/MeasurePictures.cpp
    screens/Results.h screens/Results.cpp
    screens/PictureLogView.h screens/PictureLogView.cpp
    screens/frmSelectSkier.h screens/frmSelectSkier.cpp
)
