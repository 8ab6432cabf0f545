#pragma once

#include "support/result.h"

#include <QString>

#include <optional>

namespace fw {

// Reads the comma-separated fields of the station's text files (grid, check buoy, .info and
// name files). A field ends at a comma or at a line end; blanks around it are dropped; a field
// that begins with a double quote runs to the next double quote, and anything after the closing
// quote up to the field's end is passed over. An empty line is one empty field.
class FieldReader {
public:
    explicit FieldReader(QString text);

    // The next field, or none when the text is used up.
    std::optional<QString> nextField();

    // The next field read as a number. An empty field reads as 0. A missing field ("the file
    // ends early") and a field that is not a number give a message naming the field's line.
    Result<double> nextNumber();

    bool atEnd() const;
    int lineNumber() const { return m_line; }

private:
    bool isLineEnd(qsizetype i) const;
    void skipLineEnd();

    QString m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
};

} // namespace fw
