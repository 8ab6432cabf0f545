list(APPEND fw_core_sources
    grid/Geometry.h grid/Geometry.cpp
    grid/GridEntries.h grid/GridEntries.cpp
    grid/GridState.h grid/GridState.cpp
    grid/GridCompletion.h grid/GridCompletion.cpp
    grid/GridFiles.h grid/GridFiles.cpp
    grid/Accuracy.h grid/Accuracy.cpp
    grid/Calibration.h grid/Calibration.cpp
    grid/GridSetupRules.h grid/GridSetupRules.cpp
)
