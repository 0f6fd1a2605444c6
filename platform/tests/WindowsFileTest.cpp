// What only Windows has: files held open by other programs, names that
// differ only in case, drive letters, backslashes, UNC and "\\?\" paths,
// paths longer than 260 characters, device names, junctions.
#include <windows.h>

#include <winioctl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"
#include "platform/File.h"
#include "platform/FileLock.h"
#include "platform/Ports.h"
#include "platform/Text.h"
#include "platform/Win32.h"
#include "platform/testing/HelperProcess.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"

namespace plova {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& p) {
    std::string out;
    EXPECT_EQ(ReadWholeFile(p, out, 1 << 20), ReadResult::Ok) << p;
    return out;
}

// Another program holding `file` open and sharing it with nobody, as a
// player or a virus scanner may.
class Holder {
public:
    explicit Holder(const fs::path& file) : process_(testkit::PlatformTestHelper(), {"hold", Utf8Of(file)}) {}
    bool Holds() { return process_.ReadLine() == "held"; }
    void LetGo() {
        process_.CloseInput();
        process_.Wait();
    }

private:
    testkit::HelperProcess process_;
};

// A junction (a mount point) at `junction` leading to the folder `target`,
// as mklink /J makes one; false where the system makes none (Wine).
bool makeJunction(const fs::path& target, const fs::path& junction) {
    if (!CreateDirectoryW(junction.c_str(), nullptr)) return false;
    // The substitute name in the form the file system reads ("\??\C:\..."),
    // then the name to show; both end in a null character.
    const std::wstring substitute = L"\\??\\" + fs::absolute(target).native();
    const std::wstring shown = fs::absolute(target).native();
    const std::size_t substituteBytes = substitute.size() * sizeof(wchar_t);
    const std::size_t shownBytes = shown.size() * sizeof(wchar_t);
    // The mount point's reparse data: tag, length, reserved, then the names'
    // offsets and lengths and the names themselves.
    std::vector<unsigned char> data(8 + 8 + substituteBytes + 2 + shownBytes + 2, 0);
    auto put16 = [&](std::size_t at, std::size_t value) {
        data[at] = static_cast<unsigned char>(value);
        data[at + 1] = static_cast<unsigned char>(value >> 8);
    };
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    std::memcpy(data.data(), &tag, sizeof tag);
    put16(4, data.size() - 8);
    put16(8, 0);
    put16(10, substituteBytes);
    put16(12, substituteBytes + 2);
    put16(14, shownBytes);
    std::memcpy(data.data() + 16, substitute.data(), substituteBytes);
    std::memcpy(data.data() + 16 + substituteBytes + 2, shown.data(), shownBytes);
    const HANDLE folder = CreateFileW(junction.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    DWORD returned = 0;
    const bool made = folder != INVALID_HANDLE_VALUE &&
                      DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, data.data(), static_cast<DWORD>(data.size()),
                                      nullptr, 0, &returned, nullptr);
    if (folder != INVALID_HANDLE_VALUE) CloseHandle(folder);
    if (!made) RemoveDirectoryW(junction.c_str());
    return made && EntryType(junction) == fs::file_type::symlink;
}

class WindowsFiles : public ::testing::Test {
protected:
    testkit::TempFolder dir{"windows-files"};
};

// Replacing, writing over or removing a file another program holds fails
// after a while, and the file keeps what it held; the new content is not lost
// either, and nothing is left behind.
TEST_F(WindowsFiles, AFileHeldByAnotherProgramIsNotReplacedAndNothingIsLost) {
    const fs::path target = dir / "0001.vminf", staged = dir / "staged";
    ASSERT_TRUE(WriteFileAtomically(target, "old"));
    ASSERT_TRUE(WriteFileAtomically(staged, "new"));
    Holder holder(target);
    ASSERT_TRUE(holder.Holds());

    EXPECT_FALSE(RenameReplacing(staged, target));
    const FileError error = LastFileError();
    EXPECT_TRUE(error == FileError::Denied || error == FileError::InUse);
    EXPECT_FALSE(WriteFileAtomically(target, "newer"));
    EXPECT_FALSE(OpenForRewrite(target));
    EXPECT_FALSE(RemoveFileOrLink(target));
    EXPECT_FALSE(OpenRegularFile(target, Access::Read));
    EXPECT_EQ(LastFileError(), FileError::InUse);
    holder.LetGo();

    EXPECT_EQ(contentOf(target), "old");
    EXPECT_EQ(contentOf(staged), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2)
        << "no temporary file is left behind";
    ASSERT_TRUE(RenameReplacing(staged, target));
    EXPECT_EQ(contentOf(target), "new");
}

// A program that lets go within the retries is waited for.
TEST_F(WindowsFiles, AFileLetGoOfSoonIsReplacedAfterAll) {
    const fs::path target = dir / "0001.vmdat";
    ASSERT_TRUE(WriteFileAtomically(target, "old"));
    // Held by a second handle of this process that shares nothing, let go
    // after the first retries.
    HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread letGo([held] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        CloseHandle(held);
    });
    const bool replaced = WriteFileAtomically(target, "new");
    letGo.join();
    EXPECT_TRUE(replaced);
    EXPECT_EQ(contentOf(target), "new");
}

// A hidden file (the backup's record) stays hidden when it is replaced.
TEST_F(WindowsFiles, AReplacedHiddenFileStaysHidden) {
    const fs::path record = dir / "backup_info.ini";
    ASSERT_TRUE(WriteFileAtomically(record, "[BACKUPINF]\r\n"));
    ASSERT_TRUE(SetFileAttributesW(record.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(WriteFileAtomically(record, "[BACKUPINF]\r\nA=1\r\n"));
    EXPECT_TRUE(GetFileAttributesW(record.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(contentOf(record), "[BACKUPINF]\r\nA=1\r\n");
    ASSERT_TRUE(WriteFileAtomically(dir / "plain.ini", "x"));
    EXPECT_FALSE(GetFileAttributesW((dir / "plain.ini").c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

// "A1" and "a1" are one name: a name that differs only in case finds the
// same file and is never a second one.
TEST_F(WindowsFiles, NamesDifferingOnlyInCaseAreOneFile) {
    const fs::path lower = dir / "20240101_a1.wav", upper = dir / "20240101_A1.WAV";
    ASSERT_TRUE(WriteFileAtomically(lower, "wave"));
    EXPECT_EQ(contentOf(upper), "wave");
    EXPECT_FALSE(CreateNewFile(upper));
    EXPECT_EQ(LastFileError(), FileError::Exists);
    ASSERT_TRUE(WriteFileAtomically(dir / "other", "other"));
    EXPECT_FALSE(RenameNoReplace(dir / "other", upper));
    EXPECT_EQ(contentOf(lower), "wave");
    fs::create_directory(dir / "A1");
    EXPECT_EQ(EntryType(dir / "a1"), fs::file_type::directory);
    EXPECT_TRUE(LockFolder(dir / "a1", kBoxFolderLockName).Held());
    const FileLock held = LockFolder(dir / "A1", kBoxFolderLockName);
    EXPECT_EQ(LockFolder(dir / "a1", ".PLOVA-FOLDER.LOCK").LockState(), FileLock::State::Busy);
}

// The same file through every form of its path.
TEST_F(WindowsFiles, DriveLettersBackslashesAndExtendedPathsNameTheSameFile) {
    const fs::path file = dir / "m.vmdat";
    ASSERT_TRUE(WriteFileAtomically(file, "speech"));
    const std::wstring full = fs::absolute(file).native();
    ASSERT_GE(full.size(), 3u);
    ASSERT_EQ(full[1], L':') << "a drive letter";
    std::wstring forward = full;
    for (auto& c : forward)
        if (c == L'\\') c = L'/';
    const std::wstring dotted = full.substr(0, full.rfind(L'\\')) + L"\\.\\sub\\..\\m.vmdat";
    for (const std::wstring& form : {full, forward, L"\\\\?\\" + full, dotted}) {
        SCOPED_TRACE(Utf8Of(form));
        EXPECT_EQ(contentOf(form), "speech");
        EXPECT_EQ(EntryType(form), fs::file_type::regular);
    }
    // A share that is not there is missing, and has no free space to give.
    const fs::path share = L"\\\\no-such-server\\share\\box\\0001.vmdat";
    std::string out;
    EXPECT_EQ(ReadWholeFile(share, out, 100), ReadResult::Missing);
    EXPECT_NE(EntryType(share), fs::file_type::regular);
    EXPECT_EQ(AbsolutePath(share), share) << "a share stays a share";
    EXPECT_EQ(SettingsPath({"prog", "--settings", Utf8Of(share)}), share);
    EXPECT_EQ(SystemDiskSpace().FreeBytes(share), 0u);
    EXPECT_FALSE(WriteFileAtomically(share, "x"));
    // A folder reached through its extended form has its own free space.
    EXPECT_GT(FreeBytesAt(L"\\\\?\\" + fs::absolute(dir.Path()).native()), 0u);
}

TEST_F(WindowsFiles, PathsLongerThan260CharactersWork) {
    fs::path deep = dir.Path();
    for (int i = 0; deep.native().size() <= 300; ++i) deep /= fs::path(u8"録音フォルダ" + std::u8string(20, u8'x'));
    ASSERT_TRUE(fs::create_directories(L"\\\\?\\" + fs::absolute(deep).native()));
    const fs::path file = deep / "20240101_0001.vmdat";
    ASSERT_GT(file.native().size(), 260u);
    ASSERT_TRUE(WriteFileAtomically(file, "speech"));
    EXPECT_EQ(contentOf(file), "speech");
    EXPECT_TRUE(LockFolder(deep, kBoxFolderLockName).Held());
    std::optional<TempFile> temp = CreateTempFile(deep);
    ASSERT_TRUE(temp);
    temp->handle.Close();
    EXPECT_TRUE(RenameReplacing(temp->path, file));
    EXPECT_GT(SystemDiskSpace().FreeBytes(file), 0u);
    EXPECT_TRUE(RemoveFolderTree(dir.Path() / *deep.lexically_relative(dir.Path()).begin()));
}

// A junction is a link: never written through, removed as a link, and what
// it leads to stays when a folder holding it is removed.
TEST_F(WindowsFiles, AJunctionIsALinkThatIsNeverWrittenThroughOrEmptied) {
    const fs::path outside = dir / "outside", box = dir / "box";
    fs::create_directories(outside);
    fs::create_directories(box / ".plova-tmp-folder");
    ASSERT_TRUE(WriteFileAtomically(outside / "keep", "x"));
    if (!makeJunction(outside, box / "j")) GTEST_SKIP() << "this system makes no junctions (Wine)";
    ASSERT_TRUE(makeJunction(outside, box / ".plova-tmp-folder" / "j"));
    EXPECT_EQ(contentOf(box / "j" / "keep"), "x") << "the junction leads there";
    EXPECT_FALSE(WriteFileAtomically(box / "j", "x"));
    EXPECT_FALSE(OpenForRewrite(box / "j"));
    EXPECT_FALSE(RemoveFolderTree(box / "j")) << "a junction is no folder of ours";
    EXPECT_EQ(contentOf(outside / "keep"), "x");
    ASSERT_TRUE(testkit::MakeOlder(box / ".plova-tmp-folder", std::chrono::hours(2)));
    EXPECT_EQ(RemoveStaleTempFolders(box, std::chrono::hours(1)), 1);
    EXPECT_TRUE(RemoveFileOrLink(box / "j"));
    EXPECT_EQ(EntryType(box / "j"), fs::file_type::not_found);
    EXPECT_TRUE(RemoveFolderTree(box));
    EXPECT_EQ(contentOf(outside / "keep"), "x") << "what the junctions led to stays";
}

// A device's name or a name Windows cannot hold is never opened, created or
// given: "NUL.wav" would be the null device, "a:b" a stream of "a", "name."
// the file "name".
TEST_F(WindowsFiles, DeviceNamesAndNamesWindowsCannotHoldAreRefused) {
    ASSERT_TRUE(WriteFileAtomically(dir / "name", "keep"));
    ASSERT_TRUE(WriteFileAtomically(dir / "a", "keep"));
    const char* names[] = {"NUL", "nul.wav", "CON", "COM1.txt", "LPT3", "a:b", "name.", "name ", "x?y", "x*y"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        // Put together as text: as a path, "a:b" would be a path of drive A.
        const fs::path p = dir.Path().native() + L"\\" + win::Wide(name);
        std::string out;
        EXPECT_EQ(ReadWholeFile(p, out, 100), ReadResult::NotRegular);
        EXPECT_FALSE(OpenForRewrite(p));
        EXPECT_FALSE(CreateNewFile(p));
        EXPECT_FALSE(WriteFileAtomically(p, "x"));
        EXPECT_FALSE(RenameNoReplace(dir / "a", p));
        EXPECT_EQ(LockFolder(dir.Path(), name).LockState(), FileLock::State::Failed);
    }
    EXPECT_EQ(contentOf(dir / "name"), "keep");
    EXPECT_EQ(contentOf(dir / "a"), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
}

TEST(WindowsText, ArgumentsAndPathsKeepJapaneseNames) {
    const fs::path name = PathFromUtf8("留守録/営業部.vmdat");
    EXPECT_EQ(name, fs::path(u8"留守録/営業部.vmdat"));
    EXPECT_EQ(Utf8Of(name), "留守録/営業部.vmdat");
    EXPECT_EQ(Utf8Of(fs::path(std::wstring(L"a\xD800z"))), "a\xEF\xBF\xBDz") << "a lone surrogate does not throw";
    // The test program's own command line, read wide.
    char program[] = "prog";
    char* argv[] = {program, nullptr};
    EXPECT_EQ(CommandLineArguments(1, argv).size(), static_cast<std::size_t>(__argc));
}

}  // namespace
}  // namespace plova
