#include "support/FieldReader.h"

#include "support/textforms.h"

namespace fw {

namespace {
bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}
} // namespace

FieldReader::FieldReader(QString text) : m_text(std::move(text)) {}

bool FieldReader::atEnd() const
{
    return m_pos >= m_text.size();
}

bool FieldReader::isLineEnd(qsizetype i) const
{
    return i < m_text.size() && (m_text[i] == QLatin1Char('\r') || m_text[i] == QLatin1Char('\n'));
}

void FieldReader::skipLineEnd()
{
    if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('\r'))
        ++m_pos;
    if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('\n'))
        ++m_pos;
    ++m_line;
}

std::optional<QString> FieldReader::nextField()
{
    if (atEnd())
        return std::nullopt;

    const qsizetype n = m_text.size();
    while (m_pos < n && isBlank(m_text[m_pos]))
        ++m_pos;

    QString field;
    if (m_pos < n && m_text[m_pos] == QLatin1Char('"')) {
        const qsizetype close = m_text.indexOf(QLatin1Char('"'), m_pos + 1);
        const qsizetype end = close < 0 ? n : close;
        field = m_text.mid(m_pos + 1, end - m_pos - 1);
        // A quoted field may span line ends; count them so messages name the right line.
        m_line += int(field.count(QLatin1Char('\n')));
        m_pos = close < 0 ? n : close + 1;
        while (m_pos < n && m_text[m_pos] != QLatin1Char(',') && !isLineEnd(m_pos))
            ++m_pos;
    } else {
        const qsizetype start = m_pos;
        while (m_pos < n && m_text[m_pos] != QLatin1Char(',') && !isLineEnd(m_pos))
            ++m_pos;
        field = m_text.mid(start, m_pos - start);
        while (!field.isEmpty() && isBlank(field.back()))
            field.chop(1);
    }

    if (m_pos < n) {
        if (m_text[m_pos] == QLatin1Char(','))
            ++m_pos;
        else
            skipLineEnd();
    }
    return field;
}

Result<double> FieldReader::nextNumber()
{
    const int line = m_line;
    const std::optional<QString> field = nextField();
    if (!field)
        return Result<double>::failure(
            QStringLiteral("the file ends early (a number was expected on line %1)").arg(line));
    if (field->trimmed().isEmpty())
        return 0.0;
    const std::optional<double> value = parseNumber(*field);
    if (!value)
        return Result<double>::failure(
            QStringLiteral("\"%1\" on line %2 is not a number").arg(*field).arg(line));
    return *value;
}

} // namespace fw
