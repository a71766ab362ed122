#include "rename/RenameProgress.h"

#include "shared/LabelProgress.h"

ProgressFunction renamingProgressIn(QLabel *status)
{
    return [progress = LabelProgress(status)](int position, int count) mutable {
        progress.step([=] { return progressText(position, count); });
    };
}
