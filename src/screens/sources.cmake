list(APPEND fw_ui_sources
    screens/setByProgram.h
    screens/MainForm.h screens/MainForm.cpp
    screens/Config.h screens/Config.cpp
    screens/LogView.h screens/LogView.cpp
    screens/frmManual.h screens/frmManual.cpp
    screens/Measure.h screens/Measure.cpp
)
