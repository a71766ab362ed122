#include "FuzzText.h"

#include "rules/EcmaRegex.h"

// Any pattern either compiles or is rejected with a reason; replacing with
// any replacement text never crashes or hangs, and an invalid pattern leaves
// the subject as it is.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzText input(data, size);
    const QString pattern = input.next(512);
    const QString subject = input.next(512);
    const QString replacement = input.next(256);

    const EcmaRegex regex(pattern);
    FUZZ_CHECK(regex.isValid() == regex.errorText().isEmpty());
    const QString replaced = regex.replaceAll(subject, replacement);
    if (!regex.isValid())
        FUZZ_CHECK(replaced == subject);
    // A replacement that only puts back the whole match changes nothing,
    // unless the match limit cut the run short (then the rest is copied).
    if (regex.isValid())
        FUZZ_CHECK(regex.replaceAll(subject, QStringLiteral("$&")) == subject);
    return 0;
}
