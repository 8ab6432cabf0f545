list(APPEND fw_core_sources
    support/result.h
    support/textforms.h support/textforms.cpp
    support/FieldReader.h support/FieldReader.cpp
    support/textfile.h support/textfile.cpp
    support/dialogs.h support/clock.h
    support/cDIB.h support/cDIB.cpp
    support/FileChecks.h support/FileChecks.cpp
)
