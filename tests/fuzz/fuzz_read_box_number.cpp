#include "FuzzText.h"

#include "rules/ReadBoxNumber.h"

// Any text reads as some number; blanks, tabs and line breaks never change it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzText input(data, size);
    const QString text = input.rest();
    const qint32 value = ReadBoxNumber(text);

    QString compact = text;
    compact.remove(u' ').remove(u'\t').remove(u'\r').remove(u'\n');
    FUZZ_CHECK(ReadBoxNumber(compact) == value);
    FUZZ_CHECK(ReadBoxNumber(QStringLiteral(" \t") + text + QStringLiteral("\r\n")) == value);
    return 0;
}
