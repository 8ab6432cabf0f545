list(APPEND fw_core_sources
    measure/JumpResult.h measure/JumpResult.cpp
    measure/JumpRecording.h measure/JumpRecording.cpp
    measure/ResultsFile.h measure/ResultsFile.cpp
    measure/WstimsExchange.h measure/WstimsExchange.cpp
    measure/SkierNames.h measure/SkierNames.cpp
    measure/PictureLog.h measure/PictureLog.cpp
)
