#include "FuzzText.h"

#include "scan/FolderWalk.h"

namespace {

bool hasWildcardCharacter(const QString &text)
{
    for (const QChar c : text) {
        if (c == u'*' || c == u'?' || c == u'#' || c == u'[')
            return true;
    }
    return false;
}

} // namespace

// A pattern either is valid or matches nothing; "*" matches anything; a text
// without wildcard characters matches itself; stars around a match still match.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzText input(data, size);
    const QString text = input.next();
    const QString pattern = input.next();

    const bool valid = isValidWildcard(pattern);
    const bool matched = WildcardMatch(text, pattern);
    FUZZ_CHECK(valid || !matched);
    FUZZ_CHECK(WildcardMatch(text, QStringLiteral("*")));
    if (!hasWildcardCharacter(text))
        FUZZ_CHECK(WildcardMatch(text, text));
    if (matched)
        FUZZ_CHECK(WildcardMatch(text, QLatin1Char('*') + pattern + QLatin1Char('*')));
    // A filter as the folder walk builds it.
    WildcardMatch(QStringLiteral("/some/folder/") + text, QLatin1Char('*') + pattern);
    return 0;
}
