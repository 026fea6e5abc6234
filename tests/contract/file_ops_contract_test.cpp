// Moves, copies, searches, times and shell deletion, and the rules for files
// that are open or loaded as a running program.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "common/platform/handles.h"
#include "common/platform/wchar16.h"
#include "contract/contract_fixture.h"

using plat::UniqueFile;

namespace {

std::u16string Lower(std::u16string text)
{
    for (char16_t& c : text) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return text;
}

uint64_t Ticks(const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

}  // namespace

class FileOpsContract : public ContractTest {
protected:
    std::set<std::u16string> List(const std::u16string& pattern)
    {
        std::set<std::u16string> names;
        WIN32_FIND_DATAW data{};
        plat::UniqueFindHandle find(Plat().FindFirstFileW(pattern.c_str(), &data));
        if (!find.Valid()) return names;
        do {
            names.insert(plat::U16(data.cFileName));
        } while (Plat().FindNextFileW(find.Get(), &data));
        EXPECT_EQ(Plat().GetLastError(), ERROR_NO_MORE_FILES);
        return names;
    }

    std::u16string PendingRenames()
    {
        plat::UniqueRegKey key;
        if (Plat().RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                                 KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) {
            return {};
        }
        std::vector<char16_t> data(32768, u'\0');
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size() * 2);
        if (Plat().RegQueryValueExW(key.Get(), u"PendingFileRenameOperations", nullptr, &type,
                                    reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
            return {};
        }
        EXPECT_EQ(type, REG_MULTI_SZ);
        std::u16string text(data.data(), size / 2);
        std::replace(text.begin(), text.end(), u'\0', u'|');
        return Lower(text);
    }
};

TEST_F(FileOpsContract, MoveRenamesAndReplacesOnlyWhenAsked)
{
    WriteAll(Scratch(u"a.txt"), "alpha");
    WriteAll(Scratch(u"b.txt"), "beta");
    EXPECT_FALSE(Plat().MoveFileW(Scratch(u"a.txt").c_str(), Scratch(u"b.txt").c_str()));
    EXPECT_EQ(Plat().GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(Plat().MoveFileExW(Scratch(u"a.txt").c_str(), Scratch(u"b.txt").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(ReadAll(Scratch(u"b.txt")), "alpha");
    EXPECT_EQ(Plat().GetFileAttributesW(Scratch(u"a.txt").c_str()), INVALID_FILE_ATTRIBUTES);

    EXPECT_FALSE(Plat().MoveFileW(Scratch(u"missing.txt").c_str(), Scratch(u"c.txt").c_str()));
    EXPECT_EQ(Plat().GetLastError(), ERROR_FILE_NOT_FOUND);

    // A folder moves with its content.
    ASSERT_TRUE(Plat().CreateDirectoryW(Scratch(u"dir").c_str(), nullptr));
    WriteAll(Scratch(u"dir\\inner.txt"), "inner");
    EXPECT_TRUE(Plat().MoveFileW(Scratch(u"dir").c_str(), Scratch(u"moved").c_str()));
    EXPECT_EQ(ReadAll(Scratch(u"moved\\inner.txt")), "inner");
}

TEST_F(FileOpsContract, OpenHandleWithoutDeleteSharingKeepsTheName)
{
    const std::u16string path = Scratch(u"held.txt");
    WriteAll(path, "x");
    {
        UniqueFile held(Plat().CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.Valid());
        EXPECT_FALSE(Plat().MoveFileW(path.c_str(), Scratch(u"other.txt").c_str()));
        EXPECT_EQ(Plat().GetLastError(), ERROR_SHARING_VIOLATION);
    }
    UniqueFile shared(Plat().CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(shared.Valid());
    EXPECT_TRUE(Plat().MoveFileW(path.c_str(), Scratch(u"other.txt").c_str()));
}

TEST_F(FileOpsContract, RunningProgramCanBeMovedButNotDeleted)
{
    char16_t program[MAX_PATH] = {};
    ASSERT_GT(Plat().GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
    EXPECT_FALSE(Plat().DeleteFileW(program));
    EXPECT_EQ(Plat().GetLastError(), ERROR_ACCESS_DENIED);
    const std::u16string aside = std::u16string(program) + u".aside";
    ASSERT_TRUE(Plat().MoveFileW(program, aside.c_str()));
    EXPECT_FALSE(Plat().DeleteFileW(aside.c_str()));
    EXPECT_TRUE(Plat().MoveFileW(aside.c_str(), program));
}

TEST_F(FileOpsContract, DelayedMoveIsQueuedForTheRestartAndTouchesNothingNow)
{
    const std::u16string from = Scratch(u"staged.bin");
    const std::u16string to = Scratch(u"target.dll");
    WriteAll(from, "new");
    WriteAll(to, "old");
    ASSERT_TRUE(Plat().MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(ReadAll(from), "new");
    EXPECT_EQ(ReadAll(to), "old");
    const std::u16string queue = PendingRenames();
    EXPECT_NE(queue.find(Lower(u"\\??\\" + from + u"|!\\??\\" + to + u"|")), std::u16string::npos)
        << std::string(queue.begin(), queue.end());

    // A queued deletion has an empty target.
    ASSERT_TRUE(Plat().MoveFileExW(to.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_NE(PendingRenames().find(Lower(u"\\??\\" + to + u"||")), std::u16string::npos);
    EXPECT_EQ(ReadAll(to), "old");
}

TEST_F(FileOpsContract, CopyKeepsTheSourceAndRespectsFailIfExists)
{
    WriteAll(Scratch(u"src.dll"), std::string("MZ\0\x01", 4));
    EXPECT_TRUE(Plat().CopyFileW(Scratch(u"src.dll").c_str(), Scratch(u"copy.dll").c_str(), TRUE));
    EXPECT_EQ(ReadAll(Scratch(u"copy.dll")), std::string("MZ\0\x01", 4));
    WriteAll(Scratch(u"src.dll"), "changed");
    EXPECT_FALSE(Plat().CopyFileW(Scratch(u"src.dll").c_str(), Scratch(u"copy.dll").c_str(), TRUE));
    EXPECT_EQ(Plat().GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_TRUE(Plat().CopyFileW(Scratch(u"src.dll").c_str(), Scratch(u"copy.dll").c_str(), FALSE));
    EXPECT_EQ(ReadAll(Scratch(u"copy.dll")), "changed");
    EXPECT_FALSE(Plat().CopyFileW(Scratch(u"none.dll").c_str(), Scratch(u"x.dll").c_str(), FALSE));
    EXPECT_EQ(Plat().GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileOpsContract, SearchListsAFolderByPattern)
{
    WriteAll(Scratch(u"a.txt"), "1");
    WriteAll(Scratch(u"B.dll"), "22");
    ASSERT_TRUE(Plat().CreateDirectoryW(Scratch(u"sub").c_str(), nullptr));
    EXPECT_EQ(List(Scratch(u"*")), (std::set<std::u16string>{u".", u"..", u"a.txt", u"B.dll", u"sub"}));
    EXPECT_EQ(List(Scratch(u"*.DLL")), (std::set<std::u16string>{u"B.dll"}));

    WIN32_FIND_DATAW data{};
    plat::UniqueFindHandle one(Plat().FindFirstFileW(Scratch(u"b.dll").c_str(), &data));
    ASSERT_TRUE(one.Valid());
    EXPECT_EQ(data.nFileSizeLow, 2u);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    plat::UniqueFindHandle none(Plat().FindFirstFileW(Scratch(u"*.exe").c_str(), &data));
    EXPECT_FALSE(none.Valid());
    EXPECT_EQ(Plat().GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileOpsContract, NewFileIsCreatedAtTheSystemTime)
{
    const std::u16string path = Scratch(u"new.dll");
    WriteAll(path, "abc");
    FILETIME now{};
    Plat().GetSystemTimeAsFileTime(&now);
    WIN32_FILE_ATTRIBUTE_DATA info{};
    ASSERT_TRUE(Plat().GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(info.nFileSizeLow, 3u);
    const uint64_t minute = 60ull * 10000000ull;
    EXPECT_LE(Ticks(info.ftCreationTime), Ticks(now) + minute);
    EXPECT_GE(Ticks(info.ftCreationTime) + minute, Ticks(now));

    UniqueFile file(Plat().CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file.Valid());
    FILETIME created{};
    ASSERT_TRUE(Plat().GetFileTime(file.Get(), &created, nullptr, nullptr));
    EXPECT_EQ(Ticks(created), Ticks(info.ftCreationTime));

    ASSERT_TRUE(Plat().GetFileAttributesExW(ScratchDir().c_str(), GetFileExInfoStandard, &info));
    EXPECT_NE(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_FALSE(Plat().GetFileAttributesExW(Scratch(u"none").c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(Plat().GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileOpsContract, LongPathKeepsThePrefixAndSaysWhatItNeeds)
{
    WriteAll(Scratch(u"Lpk.dll"), "x");
    const std::u16string candidate = u"\\\\?\\" + Lower(Scratch(u"lpk.dll"));
    char16_t out[512] = {};
    const DWORD n = Plat().GetLongPathNameW(candidate.c_str(), out, 512);
    ASSERT_GT(n, 0u);
    ASSERT_LT(n, 512u);
    EXPECT_EQ(Lower(std::u16string(out, n)), candidate);
    char16_t small[8] = {};
    EXPECT_EQ(Plat().GetLongPathNameW(candidate.c_str(), small, 8), n + 1);
    // (Wine hands a prefixed path of a missing file back unchanged; Windows and
    // the machine fail as for an unprefixed one.)
    EXPECT_EQ(Plat().GetLongPathNameW(Scratch(u"none.dll").c_str(), out, 512), 0u);
    EXPECT_EQ(Plat().GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileOpsContract, TempAndCurrentFoldersExist)
{
    char16_t temp[MAX_PATH + 1] = {};
    const DWORD n = Plat().GetTempPathW(MAX_PATH + 1, temp);
    ASSERT_GT(n, 0u);
    ASSERT_LE(n, MAX_PATH);
    EXPECT_EQ(temp[n - 1], u'\\');
    EXPECT_NE(Plat().GetFileAttributesW(temp) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    char16_t small[2] = {};
    EXPECT_EQ(Plat().GetTempPathW(2, small), n + 1);

    char16_t current[MAX_PATH] = {};
    const DWORD c = Plat().GetCurrentDirectoryW(MAX_PATH, current);
    ASSERT_GT(c, 0u);
    ASSERT_LT(c, MAX_PATH);
    EXPECT_NE(Plat().GetFileAttributesW(current), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Plat().GetCurrentDirectoryW(2, small), c + 1);
}

TEST_F(FileOpsContract, ShellDeletionTakesAFolderWithItsContent)
{
    ASSERT_TRUE(Plat().CreateDirectoryW(Scratch(u"lpk.dll").c_str(), nullptr));
    ASSERT_TRUE(Plat().CreateDirectoryW(Scratch(u"lpk.dll\\deep").c_str(), nullptr));
    WriteAll(Scratch(u"lpk.dll\\deep\\f.txt"), "f");
    std::u16string from = Scratch(u"lpk.dll");
    from.push_back(u'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = plat::AsWchar(from.c_str());
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
    EXPECT_EQ(Plat().SHFileOperationW(&operation), 0);
    EXPECT_EQ(Plat().GetFileAttributesW(Scratch(u"lpk.dll").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(Plat().SHFileOperationW(&operation), 0);
}
