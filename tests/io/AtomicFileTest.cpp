// What the atomic writer keeps of the file it replaces (mode, owner, group, ACL, user attributes,
// other hard links) and which symbolic links it refuses to follow, acted out by two users where
// the test runs as root.
#include "support/Child.h"

#include "io/AtomicFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>

using namespace versino;
using namespace versino::testing;

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kSharedGroup = 4242; // a group nobody joins in the child; no entry needed

QByteArray nat(const QString& path) {
    return QFile::encodeName(path);
}

struct stat statOf(const QString& path) {
    struct stat st {};
    ::stat(nat(path).constData(), &st);
    return st;
}

std::string attribute(const QString& path, const char* name) {
    char value[256];
    const ssize_t n = ::getxattr(nat(path).constData(), name, value, sizeof value);
    return n < 0 ? std::string("(none)") : std::string(value, std::size_t(n));
}

// A POSIX ACL as the kernel stores it: the owner rw, user nobody rw, the group r, mask rw, others r.
std::string aclForNobody() {
    struct Entry {
        std::uint16_t tag, perm;
        std::uint32_t id;
    };
    const Entry entries[] = {{0x01, 6, ~0u}, {0x02, 6, kNobody}, {0x04, 4, ~0u}, {0x10, 6, ~0u}, {0x20, 4, ~0u}};
    std::string acl(4, '\0');
    acl[0] = 2; // version
    acl.append(reinterpret_cast<const char*>(entries), sizeof entries);
    return acl;
}

// A world-writable sticky folder (as /tmp) with a file of root's that a link points to.
TEST(SymbolicLinks, aLinkPlantedByAnotherUserInAStickyFolderIsNeverFollowed) {
    if (!isRoot())
        GTEST_SKIP() << "a link of another user can only be made as root (chown of the link)";
    struct Case {
        const char* what;
        mode_t folderMode;
        uid_t linkOwner;
        bool followed;
    };
    for (const Case& c : {Case{"another user's link in a sticky world-writable folder", 01777, kNobody, false},
                          Case{"the user's own link there", 01777, 0, true},
                          Case{"another user's link in a folder others may not write", 0755, kNobody, true}}) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        QDir().mkpath(dir.path("shared"));
        ::chmod(nat(dir.path("shared")).constData(), c.folderMode);
        writeAll(dir.str("secret.vsn"), "the user's own file");
        for (const char* target : {"secret.vsn", "created.vsn"}) {
            const QString link = dir.path("shared/out-") + target;
            ASSERT_EQ(::symlink(nat(dir.path(target)).constData(), nat(link).constData()), 0);
            ASSERT_EQ(::lchown(nat(link).constData(), c.linkOwner, c.linkOwner), 0);
            EXPECT_EQ(errorOf([&] { writeFileAtomically(link, "written"); }),
                      c.followed ? "no error" : "File access denied");
            struct stat st {};
            EXPECT_EQ(::lstat(nat(link).constData(), &st) == 0 && S_ISLNK(st.st_mode), true) << "the link stays";
        }
        EXPECT_EQ(readAll(dir.str("secret.vsn")), c.followed ? "written" : "the user's own file");
        EXPECT_EQ(QFile::exists(dir.path("created.vsn")), c.followed);
    }
}

// A file is replaced with all it had, or, where the new file could not have it, written in place.
TEST(Rights, replacingAFileKeepsModeOwnerGroupAclAndUserAttributes) {
    if (!isRoot())
        GTEST_SKIP() << "acting as a second user (owner or group member) needs root";
    struct Case {
        const char* what;
        uid_t owner;
        mode_t mode;
    };
    // Nobody writes, as a member of the file's group that is not nobody's own group.
    for (const Case& c : {Case{"the writer owns the file", kNobody, 0640},
                          Case{"another user owns it; the group may write", 0, 0664}}) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        ::chmod(nat(dir.path()).constData(), 0777);
        const QString path = dir.path("song.vsn");
        writeAll(path.toStdString(), "old");
        ASSERT_EQ(::chown(nat(path).constData(), c.owner, kSharedGroup), 0);
        ASSERT_EQ(::chmod(nat(path).constData(), c.mode), 0);
        const std::string acl = aclForNobody();
        if (::setxattr(nat(path).constData(), "user.versino-test", "kept", 4, 0) != 0 ||
            ::setxattr(nat(path).constData(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0)
            GTEST_SKIP() << "the test folder's file system keeps no extended attributes or ACLs: "
                         << std::strerror(errno);
        const struct stat before = statOf(path);
        TempDir cacheHome;
        const QString cache = cacheFolderForAnyone(cacheHome.path("cache"));

        ChildOptions asMember;
        asMember.asNobody = true;
        asMember.cacheHome = cache;
        asMember.extraGroup = kSharedGroup;
        EXPECT_EQ(runInChild(asMember, [&] { return errorOf([&] { writeFileAtomically(path, "new"); }); }).output,
                  "no error");
        const struct stat after = statOf(path);
        EXPECT_EQ(readAll(path.toStdString()), "new");
        EXPECT_EQ(after.st_uid, c.owner);
        EXPECT_EQ(after.st_gid, kSharedGroup);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(attribute(path, "user.versino-test"), "kept");
        EXPECT_EQ(attribute(path, "system.posix_acl_access"), acl);
        EXPECT_EQ(entriesOf(dir.path()), QStringList{"song.vsn"});
        EXPECT_EQ(entriesOf(cache + "/versino"), QStringList{}) << "a copy made for writing in place goes after success";
    }
}

TEST(HardLinks, everyNameOfTheFileShowsTheNewContent) {
    TempDir dir;
    TempDir cacheHome;
    qputenv("XDG_CACHE_HOME", nat(cacheHome.path()));
    writeAll(dir.str("song.vsn"), "old");
    ASSERT_EQ(::link(nat(dir.path("song.vsn")).constData(), nat(dir.path("second.vsn")).constData()), 0);
    const ino_t inode = statOf(dir.path("song.vsn")).st_ino;
    EXPECT_EQ(errorOf([&] { writeFileAtomically(dir.path("song.vsn"), "new and longer"); }), "no error");
    qunsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(readAll(dir.str("second.vsn")), "new and longer");
    EXPECT_EQ(statOf(dir.path("song.vsn")).st_ino, inode);
    EXPECT_EQ(entriesOf(dir.path()), (QStringList{"second.vsn", "song.vsn"}));
}

} // namespace
