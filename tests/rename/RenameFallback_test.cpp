// The rename layer where RENAME_NOREPLACE is not known, while another
// program keeps putting entries at the very names being renamed to: through
// a stand-in for the system calls that refuses the flag and hard links as
// FAT and exFAT through FUSE do, and on a real exFAT image through
// exfat-fuse where this machine can mount one.

#include "rename/RenameLayer.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::entriesOf;
using testsupport::readFile;
using testsupport::writeFile;

namespace {
std::atomic<bool> refuseFlagAndLinks{false};
}

// These definitions stand in for the C library's within this test program,
// the rename layer's calls included.
extern "C" int renameat2(int oldFolder, const char *oldPath, int newFolder, const char *newPath,
                         unsigned int flags) noexcept
{
    using Real = int (*)(int, const char *, int, const char *, unsigned int);
    static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "renameat2"));
    if (refuseFlagAndLinks && (flags & RENAME_NOREPLACE) != 0) {
        errno = EINVAL;
        return -1;
    }
    return real(oldFolder, oldPath, newFolder, newPath, flags);
}

extern "C" int linkat(int oldFolder, const char *oldPath, int newFolder, const char *newPath,
                      int flags) noexcept
{
    using Real = int (*)(int, const char *, int, const char *, int);
    static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "linkat"));
    if (refuseFlagAndLinks) {
        errno = EPERM;
        return -1;
    }
    return real(oldFolder, oldPath, newFolder, newPath, flags);
}

namespace {

struct RaceResult
{
    int planted = 0;
    int renamed = 0;
};

// Renames n files or folders "src<i>" to "dst<i>" in `folder` one by one
// while a second thread tries to create "dst<i>" at the same moment. Checks
// that whatever the planter made is still there, every original is found
// exactly once, and no placeholder of ours is left behind.
RaceResult raceAgainstPlanter(const QString &folder, int n, bool folders)
{
    const auto at = [&folder](const char *prefix, int i) {
        return folder + u'/' + QLatin1String(prefix) + QString::number(i);
    };
    for (int i = 0; i < n; ++i)
        writeFile(folders ? at("src", i) + QStringLiteral("/own") : at("src", i),
                  QByteArray::number(i));

    std::vector<QByteArray> targets;
    for (int i = 0; i < n; ++i)
        targets.push_back(QFile::encodeName(at("dst", i)));
    std::vector<char> planted(static_cast<size_t>(n), 0);

    // Each rename starts only once the planter has seen its index, so that
    // the two really race for every target, however the threads are scheduled;
    // the planter then waits 0 to 8,000 microseconds, spread so that both a
    // fast file system and a FUSE one, where every call is a round trip, see
    // it arrive before, during and after the rename.
    std::vector<std::chrono::microseconds> delays;
    for (int i = 0; i < n; ++i)
        delays.emplace_back(i % 14 == 0 ? 0 : 1 << (i % 14));
    std::atomic<int> current{-1};
    std::atomic<int> seen{-1};
    std::atomic<bool> finished{false};
    std::thread planter([&] {
        while (!finished) {
            const int i = current.load();
            if (i < 0 || planted[static_cast<size_t>(i)])
                continue;
            if (seen.exchange(i) != i) {
                const auto until =
                    std::chrono::steady_clock::now() + delays[static_cast<size_t>(i)];
                while (std::chrono::steady_clock::now() < until) {
                }
            }
            const char *target = targets[static_cast<size_t>(i)].constData();
            if (folders) {
                if (::mkdir(target, 0755) == 0)
                    planted[static_cast<size_t>(i)] = 1;
            } else if (const int fd = ::open(target, O_WRONLY | O_CREAT | O_EXCL, 0644); fd >= 0) {
                planted[static_cast<size_t>(i)] = 1;
                ::close(fd);
            }
        }
    });
    RaceResult result;
    for (int i = 0; i < n; ++i) {
        current = i;
        while (seen.load() != i) {
            // Spinning, not yielding: a loaded machine could otherwise keep
            // this thread off the processor until every planter has won.
        }
        if (!renameOnDisk(at("src", i), at("dst", i)))
            ++result.renamed;
    }
    finished = true;
    planter.join();

    for (int i = 0; i < n; ++i) {
        const bool moved = !QFileInfo::exists(at("src", i));
        const QString own = (moved ? at("dst", i) : at("src", i)) + (folders ? "/own" : "");
        if (planted[static_cast<size_t>(i)]) {
            ++result.planted;
            EXPECT_FALSE(moved) << "planted dst" << i << " was replaced";
            EXPECT_TRUE(folders ? entriesOf(at("dst", i)).isEmpty()
                                : readFile(at("dst", i)).isEmpty())
                << "planted dst" << i << " was changed";
        }
        EXPECT_EQ(readFile(own), QByteArray::number(i)) << "entry " << i << " lost";
    }
    EXPECT_EQ(entriesOf(folder).size(), n + result.planted) << "a placeholder was left behind";
    return result;
}

class WithoutNoReplace : public ::testing::Test
{
protected:
    void SetUp() override { refuseFlagAndLinks = true; }
    void TearDown() override { refuseFlagAndLinks = false; }
    QTemporaryDir m_dir;
};

// Mounts a fresh exFAT image through exfat-fuse on a loop device, once for
// the suite; `reason` says why not where this machine cannot.
class ExfatImage
{
public:
    ExfatImage() { reason = mount(); }
    ~ExfatImage()
    {
        if (m_mounted)
            run("umount", {mountPoint});
        if (!m_loop.isEmpty())
            run("losetup", {"-d", m_loop});
    }

    std::string reason;
    QString mountPoint;

private:
    // "" once mounted, or why not.
    std::string mount()
    {
        if (::geteuid() != 0)
            return "a loop device and a FUSE mount need root";
        if (!QFileInfo::exists(QStringLiteral("/dev/fuse")))
            return "no /dev/fuse";
        for (const char *tool : {"mkfs.exfat", "losetup", "mount.exfat-fuse", "umount"}) {
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty() &&
                QStandardPaths::findExecutable(QLatin1String(tool), {"/sbin", "/usr/sbin"})
                    .isEmpty())
                return std::string(tool) + " is not installed (exfatprogs, exfat-fuse)";
        }
        const QString image = m_work.filePath(QStringLiteral("stick.img"));
        mountPoint = m_work.filePath(QStringLiteral("stick"));
        QDir().mkpath(mountPoint);
        QFile file(image);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(64 << 20))
            return "cannot make the image file";
        file.close();
        if (!run("mkfs.exfat", {image}))
            return "mkfs.exfat failed";
        QString device;
        if (!run("losetup", {"-f", "--show", image}, &device))
            return "no free loop device (losetup -f failed)";
        m_loop = device.trimmed();
        if (!run("mount.exfat-fuse", {m_loop, mountPoint}))
            return "mount.exfat-fuse could not mount the image";
        m_mounted = true;
        return {};
    }
    static bool run(const QString &program, const QStringList &arguments, QString *out = nullptr)
    {
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
            return false;
        if (out)
            *out = QString::fromLocal8Bit(process.readAllStandardOutput());
        return process.exitCode() == 0;
    }

    QTemporaryDir m_work;
    QString m_loop;
    bool m_mounted = false;
};

class OnExfat : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_image = new ExfatImage; }
    static void TearDownTestSuite()
    {
        delete s_image;
        s_image = nullptr;
    }
    void SetUp() override
    {
        if (!s_image->reason.empty())
            GTEST_SKIP() << "no exFAT through FUSE here: " << s_image->reason;
        m_folder =
            s_image->mountPoint + u'/' +
            QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_TRUE(QDir().mkpath(m_folder));
    }
    static inline ExfatImage *s_image = nullptr;
    QString m_folder;
};

} // namespace

TEST_F(WithoutNoReplace, NothingAnotherProgramPutsAtATargetIsReplaced)
{
    ASSERT_EQ(::renameat2(AT_FDCWD, "/", AT_FDCWD, "/", RENAME_NOREPLACE), -1);
    ASSERT_EQ(errno, EINVAL) << "the stand-in for the system calls is not in use";
    QDir().mkpath(m_dir.filePath("files"));
    QDir().mkpath(m_dir.filePath("folders"));
    const RaceResult files = raceAgainstPlanter(m_dir.filePath("files"), 300, false);
    const RaceResult folders = raceAgainstPlanter(m_dir.filePath("folders"), 300, true);
    // Both sides won some of the races, or the test proved nothing.
    EXPECT_GT(files.planted + folders.planted, 0);
    EXPECT_GT(files.renamed + folders.renamed, 0);
}

TEST_F(WithoutNoReplace, AFailedRenameTakesBackOnlyItsOwnEmptyPlaceholder)
{
    writeFile(m_dir.filePath("album/in"), "I");
    writeFile(m_dir.filePath("a"), "A");
    // A folder into itself fails after the target was claimed: the claim goes.
    const auto inside = renameOnDisk(m_dir.filePath("album"), m_dir.filePath("album/sub"));
    EXPECT_TRUE(inside && inside->code == EINVAL);
    EXPECT_EQ(entriesOf(m_dir.filePath("album")), QStringList{"in"});
    // A missing source claims nothing.
    const auto missing = renameOnDisk(m_dir.filePath("gone"), m_dir.filePath("b"));
    EXPECT_TRUE(missing && missing->code == ENOENT);
    const auto taken = renameOnDisk(m_dir.filePath("a"), m_dir.filePath("album"));
    EXPECT_TRUE(taken && taken->code == EEXIST);
    EXPECT_EQ(entriesOf(m_dir.path()), QStringList({"a", "album"}));
    EXPECT_EQ(readFile(m_dir.filePath("a")), "A");
}

TEST_F(OnExfat, ACaseOnlyChangeRenamesAndATakenNameIsRefused)
{
    writeFile(m_folder + "/photo.jpg", "P");
    writeFile(m_folder + "/other.jpg", "O");
    EXPECT_EQ(renameOnDisk(m_folder + "/photo.jpg", m_folder + "/Photo.jpg"), std::nullopt);
    const auto taken = renameOnDisk(m_folder + "/other.jpg", m_folder + "/PHOTO.JPG");
    EXPECT_TRUE(taken && taken->code == EEXIST);
    EXPECT_EQ(entriesOf(m_folder), QStringList({"Photo.jpg", "other.jpg"}));
    EXPECT_EQ(readFile(m_folder + "/Photo.jpg") + readFile(m_folder + "/other.jpg"), "PO");
}

TEST_F(OnExfat, NothingAnotherProgramPutsAtATargetIsReplaced)
{
    QDir().mkpath(m_folder + "/files");
    QDir().mkpath(m_folder + "/folders");
    const RaceResult files = raceAgainstPlanter(m_folder + "/files", 300, false);
    const RaceResult folders = raceAgainstPlanter(m_folder + "/folders", 150, true);
    EXPECT_GT(files.planted + folders.planted, 0);
    EXPECT_GT(files.renamed + folders.renamed, 0);
}
