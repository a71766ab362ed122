#include "list/FileListModel.h"
#include "list/PathPart.h"

#include <gtest/gtest.h>

TEST(PathPart, SplitsTheLastComponentAtItsLastDot)
{
    EXPECT_EQ(PathPart("/d/photos/IMG_0012.JPG", 0), "IMG_0012.JPG");
    EXPECT_EQ(PathPart("/d/photos/IMG_0012.JPG", 1), "IMG_0012");
    EXPECT_EQ(PathPart("/d/photos/IMG_0012.JPG", 2), "JPG");
    EXPECT_EQ(PathPart("/d/photos/IMG_0012.JPG", 3), "");
    EXPECT_EQ(PathPart("/d/photos/IMG_0012.JPG", 4), "/d/photos");
    EXPECT_EQ(PathPart("/d/photos/IMG_0012.JPG", 9), "");
    EXPECT_EQ(PathPart("/d/a/archive.tar.gz", 1), "archive.tar");
    EXPECT_EQ(PathPart("/d/a/archive.tar.gz", 2), "gz");
    // A dot in a folder name is not part of the last component.
    EXPECT_EQ(PathPart("/d/v1.2/README", 1), "README");
    EXPECT_EQ(PathPart("/d/v1.2/README", 2), "");
    EXPECT_EQ(PathPart("/top", 4), "");
    // Backslashes are ordinary characters of a Linux name.
    EXPECT_EQ(PathPart("/d/a\\b.txt", 0), "a\\b.txt");
}

TEST(PathPart, SortKeyPadsTheFirstDigitRunToFourDigits)
{
    EXPECT_EQ(sortKeyOf("IMG_0012"), "0012");
    EXPECT_EQ(sortKeyOf("a7"), "0007");
    EXPECT_EQ(sortKeyOf("x00007"), "0007");
    EXPECT_EQ(sortKeyOf("n123456"), "123456");
    EXPECT_EQ(sortKeyOf("ep3_take12"), "0003");
    EXPECT_EQ(sortKeyOf("0"), "0000");
    EXPECT_EQ(sortKeyOf("报告"), "");
    EXPECT_EQ(sortKeyOf(""), "");
    // Full-width digits are not decimal digits 0 to 9.
    EXPECT_EQ(sortKeyOf(QString::fromUtf8("第１２")), "");
}

TEST(PathPart, RowsBuiltFromPaths)
{
    const RenameEntry jpg = FileListModel::entryFromPath("/d/photos/IMG_0012.JPG");
    EXPECT_EQ(jpg.originalName, "IMG_0012");
    EXPECT_EQ(jpg.extension, ".JPG");
    EXPECT_EQ(jpg.fullPath, "/d/photos/IMG_0012.JPG");
    EXPECT_EQ(jpg.tempName, "IMG_0012");
    EXPECT_EQ(jpg.sortKey, "0012");
    EXPECT_TRUE(jpg.previewName.isEmpty());
    EXPECT_TRUE(jpg.checked);
    EXPECT_FALSE(jpg.blue);

    const RenameEntry readme = FileListModel::entryFromPath("/d/a/README");
    EXPECT_EQ(readme.extension, "");
    EXPECT_TRUE(readme.blue);

    const RenameEntry folder = FileListModel::entryFromPath("/d/a/photos.2019");
    EXPECT_EQ(folder.originalName, "photos");
    EXPECT_EQ(folder.extension, ".2019");
    EXPECT_FALSE(folder.blue);

    // A trailing dot stays in the extension, so the unchanged name
    // reassembles to the same file name.
    const RenameEntry notes = FileListModel::entryFromPath("/d/notes.");
    EXPECT_EQ(notes.originalName, "notes");
    EXPECT_EQ(notes.extension, ".");
    EXPECT_EQ(notes.originalName + notes.extension, "notes.");
    EXPECT_TRUE(notes.blue);
}
