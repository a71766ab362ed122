#pragma once

#include "rename/RenameLayer.h"

#include <QString>

#include <functional>

class DiskView;
class RowStore;

struct BatchResult
{
    int succeeded = 0;
    int failed = 0;
    // Parent folder of the lowest row the rename batch processed, whatever
    // its outcome; "" when none was processed. The undo leaves it empty.
    QString lastFolder;
};

// Called after each row with its 1-based position, counted upward, and the
// number of rows.
using ProgressFunction = std::function<void(int position, int count)>;

// Both batches plan, rename and record the rows in chunks of this many; the
// outcome never depends on it (tests put the chunks' borders anywhere).
constexpr int kRenameChunkRows = 256;

// 开始更名: renames every checked row with a preview to its folder +
// preview + extension, top to bottom over the rows there were at the start,
// and writes each outcome into its row.
//
// The batch first brings the disk view up to date (the folders that changed
// are read again), then carries out the plan of RenamePlanner chunk by
// chunk: a row the plan finds will fail is not tried; the others are renamed
// back to back, never over an existing entry; what the disk answers is what
// the row shows, and the rows after a surprise are planned again. The view
// follows the renames.
BatchResult runRenameBatch(RowStore &store, DiskView &disk, const RenameFunction &rename,
                           const ProgressFunction &progress = {}, int chunkRows = kRenameChunkRows);

// 撤消上一次更名: renames every checked row with a previous path back to it,
// in undoOrder: a rename that frees a name goes before the one that needs
// it, whatever the order of the list.
BatchResult runUndoBatch(RowStore &store, DiskView &disk, const RenameFunction &rename,
                         const ProgressFunction &progress = {}, int chunkRows = kRenameChunkRows);

// The same over a disk view of their own, for callers that keep none.
BatchResult runRenameBatch(RowStore &store, const RenameFunction &rename,
                           const ProgressFunction &progress = {}, int chunkRows = kRenameChunkRows);
BatchResult runUndoBatch(RowStore &store, const RenameFunction &rename,
                         const ProgressFunction &progress = {}, int chunkRows = kRenameChunkRows);

// "重命名完成,一共N条文件 成功 S条;失败F条"
QString summaryText(const BatchResult &result);

// "正在更名 i/n"
QString progressText(int position, int count);
