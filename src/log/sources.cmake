list(APPEND fw_core_sources
    log/SessionLog.h log/SessionLog.cpp
)
