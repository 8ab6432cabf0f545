// The field reader of the station's text files on any text: fields and numbers until the text is
// used up, always moving on.

#include "support/FieldReader.h"
#include "support/textforms.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    // Fields read as numbers and as text alternately, as the grid file mixes them.
    fw::FieldReader reader(text);
    for (int i = 0; !reader.atEnd(); ++i) {
        const qsizetype before = text.size();
        if (i % 2 == 0)
            (void)reader.nextNumber();
        else if (!reader.nextField())
            break;
        if (i > before + 2)
            std::abort(); // the reader stopped moving on
    }
    fw::parseNumber(text);
    return 0;
}
