list(APPEND fw_ui_sources
    screens/MeasurementScreenForm.h screens/MeasurementScreenForm.cpp
    screens/MeasurementScreenMarker.cpp screens/MeasurementScreenPictures.cpp
    screens/ResultsViewer.h screens/ResultsViewer.cpp
    screens/PictureLogViewer.h screens/PictureLogViewer.cpp
    screens/SkierPicker.h screens/SkierPicker.cpp
)
