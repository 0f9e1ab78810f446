#include "commands/RecoveryCopy.h"

#include "commands/DocumentCommands.h"
#include "commands/FileQuestions.h"
#include "document/Cp1252.h"
#include "formats/LayoutFile.h"
#include "io/AtomicFile.h"
#include "io/FileError.h"
#include "io/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace versino {
namespace {

constexpr char kLockExtension[] = ".lock";
constexpr char kCopyExtension[] = ".vsn";
constexpr char kNameExtension[] = ".name";
constexpr char kIdPrefix[] = "editor-";
// A lock file without a copy may be one an editor has only just made.
constexpr int kBareLockStaleSeconds = 60;

QByteArray nat(const QString& path) {
    return QFile::encodeName(path);
}

// Opens an existing lock file and takes its lock without waiting; -1 when it is not a plain file
// of the user's or another process holds it.
int takeLock(const QString& path) {
    const int fd = ::open(nat(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
        ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string titleOf(const QString& copyPath) {
    try {
        SongDocument fresh;
        parseLayout(readRegularFile(copyPath), fresh);
        return fresh.TitelEdit().text();
    } catch (const FileError&) {
        return {};
    }
}

} // namespace

RecoveryStore::RecoveryStore(QString folder) : folder_(QDir::cleanPath(folder)) {}

RecoveryStore::~RecoveryStore() {
    releaseClaims();
    if (lockFd_ >= 0) {
        // An editor that ends in order leaves nothing: its song was saved, discarded or asked about.
        removeFiles(id_);
        ::close(lockFd_);
    }
}

QString RecoveryStore::defaultFolder() {
    return AtomicFile::cacheFolder() + QStringLiteral("/recovery");
}

QString RecoveryStore::pathOf(const QString& id, const char* extension) const {
    return folder_ + QLatin1Char('/') + id + QLatin1String(extension);
}

void RecoveryStore::removeFiles(const QString& id) {
    // The copy first, the lock last: a copy is never left without the lock that tells whose it is.
    QFile::remove(pathOf(id, kCopyExtension));
    QFile::remove(pathOf(id, kNameExtension));
    QFile::remove(pathOf(id, kLockExtension));
}

bool RecoveryStore::openOwnLock() {
    if (lockFd_ >= 0)
        return true;
    if (!AtomicFile::makePrivateFolder(folder_))
        return false;
    for (int attempt = 0; attempt < 8; ++attempt) {
        QByteArray pattern = nat(folder_ + QLatin1Char('/') + QLatin1String(kIdPrefix)) + "XXXXXX" + kLockExtension;
        const int fd = ::mkostemps(pattern.data(), int(sizeof kLockExtension - 1), O_CLOEXEC);
        if (fd < 0)
            return false;
        // Another editor that scans the folder just now may hold the fresh file for a moment.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            lockFd_ = fd;
            const QString name = QFileInfo(QFile::decodeName(pattern)).fileName();
            id_ = name.left(name.size() - int(sizeof kLockExtension - 1));
            return true;
        }
        ::close(fd);
    }
    return false;
}

void RecoveryStore::keep(const SongDocument& doc, const QString& songPath) {
    if (!openOwnLock())
        throw FileError(FileError::fromErrno(EACCES, folder_ + QStringLiteral("/x")),
                        " (the recovery folder " + folder_.toStdString() + " must be yours alone)");
    // A third line names the file an imported song came from; copies written without it still read.
    const QString names = songPath + QLatin1Char('\n') + doc.DocumentName + QLatin1Char('\n') +
                          (songPath.isEmpty() ? doc.path : QString()) + QLatin1Char('\n');
    writeFileAtomically(pathOf(id_, kNameExtension), names.toUtf8().toStdString());
    writeFileAtomically(pathOf(id_, kCopyExtension), formatLayout(doc));
    kept_ = true;
}

void RecoveryStore::drop() {
    if (!kept_)
        return;
    QFile::remove(pathOf(id_, kCopyExtension));
    QFile::remove(pathOf(id_, kNameExtension));
    kept_ = false;
}

std::vector<RecoveryOffer> RecoveryStore::claimLeftCopies() {
    std::vector<RecoveryOffer> offers;
    struct stat dir {};
    if (::lstat(nat(folder_).constData(), &dir) != 0 || !S_ISDIR(dir.st_mode) || dir.st_uid != ::geteuid() ||
        (dir.st_mode & (S_IWGRP | S_IWOTH)))
        return offers;
    const QStringList locks = QDir(folder_).entryList({QLatin1String(kIdPrefix) + QStringLiteral("*") + kLockExtension},
                                                      QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& lockName : locks) {
        const QString id = lockName.left(lockName.size() - int(sizeof kLockExtension - 1));
        if (id == id_ || claims_.count(id))
            continue;
        const int fd = takeLock(pathOf(id, kLockExtension));
        if (fd < 0)
            continue; // its editor runs, or another one is asking about it
        const QFileInfo copy(pathOf(id, kCopyExtension));
        RegularFile names(pathOf(id, kNameExtension));
        std::string namesText;
        if (!copy.isFile() || names.error() != 0 || names.read(namesText, 64 * 1024) != 0) {
            struct stat st {};
            // An editor that ended before it wrote a copy leaves only its lock.
            if (!copy.exists() && ::fstat(fd, &st) == 0 && ::time(nullptr) - st.st_mtime > kBareLockStaleSeconds)
                removeFiles(id);
            ::close(fd);
            continue;
        }
        const QStringList lines = QString::fromStdString(namesText).split(QLatin1Char('\n'));
        claims_[id] = fd;
        RecoveryOffer offer;
        offer.id = id;
        offer.copyPath = copy.absoluteFilePath();
        offer.songPath = lines.value(0);
        offer.shownName = lines.value(1);
        offer.importedFrom = lines.value(2);
        offer.made = copy.lastModified();
        offer.title = titleOf(offer.copyPath);
        offers.push_back(std::move(offer));
    }
    std::sort(offers.begin(), offers.end(),
              [](const RecoveryOffer& a, const RecoveryOffer& b) { return a.made > b.made; });
    return offers;
}

void RecoveryStore::remove(const RecoveryOffer& offer) {
    const auto held = claims_.find(offer.id);
    if (held == claims_.end())
        return;
    removeFiles(offer.id);
    ::close(held->second);
    claims_.erase(held);
}

void RecoveryStore::releaseClaims() {
    for (const auto& [id, fd] : claims_)
        ::close(fd);
    claims_.clear();
}

RecoveryKeeper::RecoveryKeeper(const SongDocument& doc, RecoveryStore& store, RecoverySchedule& schedule,
                               std::function<QString()> songPath)
    : doc_(doc), store_(store), schedule_(schedule), songPath_(std::move(songPath)) {}

void RecoveryKeeper::songChanged() {
    if (!doc_.Modified) {
        stop();
        return;
    }
    const qint64 now = schedule_.nowMs();
    if (pendingSince_ < 0)
        pendingSince_ = now;
    const qint64 dueAt = std::min(now + kPauseMs, pendingSince_ + kAtMostMs);
    schedule_.wakeIn(std::max<qint64>(0, dueAt - now));
}

void RecoveryKeeper::due() {
    if (pendingSince_ < 0)
        return;
    pendingSince_ = -1;
    if (!doc_.Modified) {
        store_.drop();
        return;
    }
    try {
        store_.keep(doc_, songPath_ ? songPath_() : QString());
    } catch (const FileError&) {
        // Nothing is lost by a copy that could not be written; the next change tries again.
    }
}

void RecoveryKeeper::keepNow() {
    if (!doc_.Modified)
        return;
    pendingSince_ = schedule_.nowMs();
    schedule_.cancel();
    due();
}

void RecoveryKeeper::stop() {
    pendingSince_ = -1;
    schedule_.cancel();
    store_.drop();
}

TimerSchedule::TimerSchedule(std::function<void()> onDue) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, this, std::move(onDue));
}

qint64 TimerSchedule::nowMs() const {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void TimerSchedule::wakeIn(qint64 ms) {
    timer_.start(int(std::min<qint64>(ms, 1 << 30)));
}

void TimerSchedule::cancel() {
    timer_.stop();
}

bool offerLeftCopies(RecoveryStore& store, DocumentCommands& commands, Questions& questions,
                     const std::function<void()>& restoredHook) {
    const std::vector<RecoveryOffer> offers = store.claimLeftCopies();
    bool restored = false;
    for (const RecoveryOffer& offer : offers) {
        if (restored)
            break;
        const QString name = offer.songPath.isEmpty() ? offer.shownName : QFileInfo(offer.songPath).fileName();
        const QString text =
            QString::fromUtf8(kRecoveryQuestion).arg(name, backupDate(offer.made)) + QStringLiteral("\n\n") +
            QString::fromUtf8(kRecoveryDetails).arg(cp1252::toUnicode(offer.title), offer.copyPath);
        switch (questions.confirm(text, true)) {
        case MsgButton::Yes:
            // A copy that does not read stays, and the error names it.
            commands.restore(offer);
            if (restoredHook)
                restoredHook();
            store.remove(offer);
            restored = true;
            break;
        case MsgButton::No:
            store.remove(offer);
            break;
        default:
            break;
        }
    }
    store.releaseClaims();
    return restored;
}

} // namespace versino
