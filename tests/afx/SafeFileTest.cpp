// Writing a user's file safely: the new file is made under a name of its own beside the target,
// so no other file is touched and two programs saving one file at once both succeed; a save
// whose file is in place is a save, whatever the folder's sync then says.
#include "../FileBytes.h"
#include "SafeFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Runs body in a child process; its exit status: 0 when body returned true, 1 when false or
// when it threw.
int InChild(const std::function<bool()>& body)
{
    const pid_t pid = fork();
    if (pid == 0) {
        bool bOk = false;
        try {
            bOk = body();
        } catch (CFileException* e) {
            e->Delete();
        }
        _exit(bOk ? 0 : 1);
    }
    int nStatus = 0;
    if (pid < 0 || waitpid(pid, &nStatus, 0) != pid || !WIFEXITED(nStatus))
        return -1;
    return WEXITSTATUS(nStatus);
}

class SafeFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("veltrane-safefile-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        fs::permissions(m_dir, fs::perms::all);
    }
    void TearDown() override
    {
        fs::permissions(m_dir, fs::perms::all);
        fs::remove_all(m_dir);
    }

    size_t FileCount() const
    {
        return (size_t)std::distance(fs::directory_iterator(m_dir), fs::directory_iterator());
    }

    fs::path m_dir;
};

} // namespace

// Files whose names a fixed temporary name could take stay as they were; a new file gets the
// permissions any new file of this process gets.
TEST_F(SafeFileTest, OnlyTheTargetChanges)
{
    const fs::path target = m_dir / "doc.zs";
    WriteBytes(m_dir / "doc.zs.tmp", "someone's file");
    WriteBytes(m_dir / "doc.zs~", "a backup");
    const mode_t oldMask = umask(027);
    CSafeFile::Write(CString(target.string()), std::string("new"));
    umask(oldMask);

    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(ReadBytes(m_dir / "doc.zs.tmp"), "someone's file");
    EXPECT_EQ(ReadBytes(m_dir / "doc.zs~"), "a backup");
    EXPECT_EQ(FileCount(), 3u);
    struct stat st;
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    CSafeFile::Write(CString(target.string()), std::string("newer"));
    EXPECT_EQ(ReadBytes(target), "newer");
    EXPECT_EQ(FileCount(), 3u);
}

// Two processes save different documents into one file, again and again, at the same time:
// every save of both succeeds, and the file ends as one of the two, whole.
TEST_F(SafeFileTest, TwoProgramsSavingOneFileBothSucceed)
{
    const fs::path target = m_dir / "shared.zs";
    const std::string strA(1 << 20, 'a'), strB(1 << 20, 'b');
    const auto saver = [&](const std::string& strData) {
        return [&target, &strData] {
            for (int i = 0; i < 30; i++)
                CSafeFile::Write(CString(target.string()), strData);
            return true;
        };
    };
    const pid_t pidA = fork();
    if (pidA == 0)
        _exit(InChild(saver(strA)));
    const int nB = InChild(saver(strB));
    int nStatusA = 0;
    ASSERT_EQ(waitpid(pidA, &nStatusA, 0), pidA);
    EXPECT_TRUE(WIFEXITED(nStatusA) && WEXITSTATUS(nStatusA) == 0);
    EXPECT_EQ(nB, 0);
    const std::string strNow = ReadBytes(target);
    EXPECT_TRUE(strNow == strA || strNow == strB) << strNow.size() << " bytes";
    EXPECT_EQ(FileCount(), 1u);
}

// A folder the saving user may write but not read: the new file takes the target's place, and
// the folder cannot be opened to force it to disk afterwards. The save happened and says so.
TEST_F(SafeFileTest, AFolderThatCannotBeSyncedAfterTheRenameIsNoFailure)
{
    const fs::path target = m_dir / "doc.zs";
    fs::permissions(m_dir, fs::perms::owner_write | fs::perms::owner_exec | fs::perms::group_write |
                               fs::perms::group_exec | fs::perms::others_write | fs::perms::others_exec);
    const int nStatus = InChild([&target] {
        // Root reads any folder: the save runs as a user without that power.
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            return false;
        CSafeFile::Write(CString(target.string()), std::string("saved"));
        return true;
    });
    fs::permissions(m_dir, fs::perms::all);
    EXPECT_EQ(nStatus, 0);
    EXPECT_EQ(ReadBytes(target), "saved");
    EXPECT_EQ(FileCount(), 1u);
}
