#include "FuzzText.h"

#include "list/RowStore.h"
#include "rules/ListImport.h"

namespace {

const QString kForbidden = QStringLiteral("\r\n\\*?/:<>|\"");

bool isClean(const QString &name)
{
    for (const QChar c : name) {
        if (kForbidden.contains(c))
            return false;
    }
    return true;
}

} // namespace

// A pasted list of any shape never crashes, and no name it yields for a
// preview holds a separator, a line break or another forbidden character.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzText input(data, size);
    const QString rowName = input.next(256);
    const QString text = input.rest();

    const QStringList lines = rules::cutLines(text);
    for (const QString &line : lines) {
        FUZZ_CHECK(!line.isEmpty() && !line.contains(u'\n'));
        FUZZ_CHECK(isClean(rules::cleanNewName(line)));
    }
    const QHash<QString, QString> table = rules::parseTwoColumns(text);
    for (auto it = table.cbegin(); it != table.cend(); ++it)
        FUZZ_CHECK(isClean(it.value()));

    RowStore model;
    model.appendPaths({QStringLiteral("/f/") + rowName + QStringLiteral(".txt"),
                       QStringLiteral("/f/a.txt"), QStringLiteral("/f/b")});
    rules::applyTwoColumns(model, text);
    rules::applyOneColumn(model, text);
    for (const RenameEntry &e : model.entries())
        FUZZ_CHECK(isClean(e.previewName));
    rules::originalNamesText(model);
    return 0;
}
