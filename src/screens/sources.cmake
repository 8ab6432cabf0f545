list(APPEND fw_ui_sources
    screens/setByProgram.h
    screens/named.h
    screens/ConfigurationScreen.h screens/ConfigurationScreen.cpp
    screens/SessionLogViewer.h screens/SessionLogViewer.cpp
    screens/ManualViewer.h screens/ManualViewer.cpp
    screens/MeasurementScreen.h screens/MeasurementScreen.cpp
)
