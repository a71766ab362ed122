#include "FuzzText.h"

#include "list/PathPart.h"

// Any path splits without crashing, and the pieces put together give the
// path back.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzText input(data, size);
    const int selector = input.number<int>(-2, 7);
    const QString path = input.rest();

    PathPart(path, selector);
    const QString fileName = PathPart(path, PathSelector::FileName);
    const QString base = PathPart(path, PathSelector::BaseName);
    const QString extension = PathPart(path, PathSelector::Extension);
    const QString parent = PathPart(path, PathSelector::Parent);
    FUZZ_CHECK(!fileName.contains(u'/'));
    FUZZ_CHECK(path.contains(u'/') ? parent + u'/' + fileName == path : fileName == path);
    FUZZ_CHECK(base + extensionCellOf(path) == fileName);
    FUZZ_CHECK(fileName.contains(u'.') ? base + u'.' + extension == fileName
                                       : base == fileName && extension.isEmpty());
    FUZZ_CHECK(PathPart(path, PathSelector::Drive).isEmpty());

    const QString key = sortKeyOf(fileName);
    FUZZ_CHECK(key.isEmpty() || key.size() >= 4);
    for (const QChar c : key)
        FUZZ_CHECK(c >= u'0' && c <= u'9');
    return 0;
}
