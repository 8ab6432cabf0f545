#include "support/textforms.h"

#include <QtGlobal>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace fw {

namespace {

constexpr int kZoneWidth = 14;

// The significant digits (at most 15, trailing zeros removed) and the decimal exponent of |v|.
void significantDigits(double v, QString& digits, int& exponent)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
    // buf reads d.ddddddddddddddde[+-]xx
    QString mantissa;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p) {
        if (*p != '.')
            mantissa += QLatin1Char(*p);
    }
    exponent = (*p == 'e') ? std::atoi(p + 1) : 0;
    while (mantissa.size() > 1 && mantissa.endsWith(QLatin1Char('0')))
        mantissa.chop(1);
    digits = mantissa;
}

} // namespace

QString numberText(double value)
{
    Q_ASSERT(std::isfinite(value));
    if (!std::isfinite(value) || value == 0.0)
        return QStringLiteral("0");

    QString digits;
    int exponent = 0;
    significantDigits(value, digits, exponent);

    QString body;
    if (exponent >= -4 && exponent <= 14) {
        if (exponent >= 0) {
            QString whole = digits.left(exponent + 1);
            while (whole.size() < exponent + 1)
                whole += QLatin1Char('0');
            const QString fraction = digits.mid(exponent + 1);
            body = fraction.isEmpty() ? whole : whole + QLatin1Char('.') + fraction;
        } else {
            body = QLatin1Char('.') + QString(-exponent - 1, QLatin1Char('0')) + digits;
        }
    } else {
        body = digits.left(1);
        if (digits.size() > 1)
            body += QLatin1Char('.') + digits.mid(1);
        body += QLatin1Char('E');
        body += exponent < 0 ? QLatin1Char('-') : QLatin1Char('+');
        body += QStringLiteral("%1").arg(std::abs(exponent), 2, 10, QLatin1Char('0'));
    }
    return value < 0 ? QLatin1Char('-') + body : body;
}

QString leadingSpace(double value)
{
    const QString text = numberText(value);
    return text.startsWith(QLatin1Char('-')) ? text : QLatin1Char(' ') + text;
}

QString printForm(double value)
{
    return leadingSpace(value) + QLatin1Char(' ');
}

std::optional<double> parseNumber(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // Only plain decimal and exponent forms; toDouble alone would also take "inf" and "nan".
    for (QChar c : trimmed) {
        if (!(c.isDigit() || c == QLatin1Char('.') || c == QLatin1Char('-') ||
              c == QLatin1Char('+') || c == QLatin1Char('e') || c == QLatin1Char('E')))
            return std::nullopt;
    }
    bool ok = false;
    const double v = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

double entryNumber(QStringView text)
{
    // Blanks, tabs and line ends are skipped wherever they stand, as the number fields always did.
    QString compact;
    compact.reserve(text.size());
    for (QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') &&
            c != QLatin1Char('\r'))
            compact += c;
    }
    int i = 0;
    const int n = int(compact.size());
    QString number;
    if (i < n && (compact[i] == QLatin1Char('-') || compact[i] == QLatin1Char('+')))
        number += compact[i++];
    bool anyDigit = false;
    while (i < n && compact[i].isDigit() && compact[i].unicode() < 128) {
        number += compact[i++];
        anyDigit = true;
    }
    if (i < n && compact[i] == QLatin1Char('.')) {
        number += compact[i++];
        while (i < n && compact[i].isDigit() && compact[i].unicode() < 128) {
            number += compact[i++];
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0.0;
    if (i < n && (compact[i] == QLatin1Char('e') || compact[i] == QLatin1Char('E') ||
                  compact[i] == QLatin1Char('d') || compact[i] == QLatin1Char('D'))) {
        int j = i + 1;
        QString exponent = QStringLiteral("e");
        if (j < n && (compact[j] == QLatin1Char('-') || compact[j] == QLatin1Char('+')))
            exponent += compact[j++];
        bool expDigit = false;
        while (j < n && compact[j].isDigit() && compact[j].unicode() < 128) {
            exponent += compact[j++];
            expDigit = true;
        }
        if (expDigit)
            number += exponent;
    }
    bool ok = false;
    const double v = number.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return 0.0;
    return v;
}

double intPart(double value)
{
    return std::floor(value);
}

double roundHalfUp(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::floor(value * scale + 0.5) / scale;
}

QString printZones(const QStringList& items)
{
    QString line;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0) {
            // Always at least one blank between items: an item that fills its zone to the end
            // pushes the next one a whole zone further.
            const qsizetype next = (line.size() / kZoneWidth + 1) * kZoneWidth;
            line += QString(next - line.size(), QLatin1Char(' '));
        }
        line += items[i];
    }
    return line;
}

QString dateText(const QDateTime& when)
{
    return when.date().toString(QStringLiteral("MM-dd-yyyy"));
}

QString timeText(const QDateTime& when)
{
    return when.time().toString(QStringLiteral("HH:mm:ss"));
}

QString monthDayYear(const QDate& day)
{
    return QStringLiteral("%1%2%3")
        .arg(day.month(), 2, 10, QLatin1Char('0'))
        .arg(day.day(), 2, 10, QLatin1Char('0'))
        .arg(day.year() % 100, 2, 10, QLatin1Char('0'));
}

QString replaceCommas(QString text)
{
    text.replace(QLatin1Char(','), QLatin1Char(' '));
    return text;
}

QString fileNamePart(QString name)
{
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || QStringView(u"/\\:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    }
    return name;
}

} // namespace fw
