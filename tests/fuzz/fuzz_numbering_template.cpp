#include "FuzzText.h"

#include "rules/NumberingRule.h"
#include "rules/PreviewLimit.h"

#include <limits>

// Counters, padding and templates of any kind never crash, the counter is
// padded as asked up to the limit of a name, no preview runs past the preview
// limit, and a run stops before the counter leaves the 32-bit range instead
// of wrapping.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzText input(data, size);
    const QString tmpl = input.next();
    const QString base = input.next();
    // No disk is read for a path that cannot exist.
    const QString fullPath = QStringLiteral("/nonexistent-quib-fuzz/") + input.next(256);

    const qint32 counter = input.number<qint32>();
    const bool pad = input.flag();
    const qint32 digits = input.number<qint32>();
    const QString counterText = rules::formatCounter(counter, pad, digits);
    FUZZ_CHECK(!counterText.isEmpty() && counterText.size() <= 256);
    FUZZ_CHECK(counterText.toLongLong() == counter);

    const QString expanded = rules::expandTemplate(tmpl, counterText, base, fullPath);
    FUZZ_CHECK(expanded.size() <= rules::kMaxPreviewLength);
    if (!tmpl.contains(u'#') && !tmpl.contains(u'&')) {
        QString capped = tmpl;
        rules::capPreview(capped);
        FUZZ_CHECK(expanded == capped);
    }

    rules::NumberingSettings settings;
    settings.start = input.number<qint32>();
    settings.increment = input.number<qint32>();
    settings.digits = input.number<qint32>(-5, 300);
    settings.pad = input.flag();
    settings.tmpl = tmpl;
    rules::Numbering numbering(settings);
    if (numbering.isRunnable()) {
        for (int i = 0; i < 4; ++i) {
            const std::optional<QString> name = numbering.next(base, fullPath);
            const qint64 value = qint64(settings.start) + qint64(i) * settings.increment;
            FUZZ_CHECK(name.has_value() == (value <= std::numeric_limits<qint32>::max()));
            // However the template is filled, the result is that of replacing
            // tag by tag.
            if (name)
                FUZZ_CHECK(*name ==
                           rules::expandTemplate(
                               tmpl.isEmpty() ? QStringLiteral("#") : tmpl,
                               rules::formatCounter(qint32(value), settings.pad, settings.digits),
                               base, fullPath));
        }
    }
    return 0;
}
