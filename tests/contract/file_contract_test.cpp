#include "common/platform/handles.h"
#include "contract/contract_fixture.h"

using plat::UniqueFile;

class FileContract : public ContractTest {
protected:
    UniqueFile Open(const std::u16string& path, DWORD access, DWORD share, DWORD disposition)
    {
        return UniqueFile(Plat().CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
};

TEST_F(FileContract, DispositionsReportExistenceThroughLastError)
{
    const std::u16string path = Scratch(u"a.txt");
    UniqueFile created = Open(path, GENERIC_WRITE, FILE_SHARE_WRITE, OPEN_ALWAYS);
    ASSERT_TRUE(created.Valid());
    EXPECT_EQ(Plat().GetLastError(), NO_ERROR);
    created.Reset();

    UniqueFile reopened = Open(path, GENERIC_WRITE, FILE_SHARE_WRITE, OPEN_ALWAYS);
    ASSERT_TRUE(reopened.Valid());
    EXPECT_EQ(Plat().GetLastError(), ERROR_ALREADY_EXISTS);
    reopened.Reset();

    EXPECT_FALSE(Open(path, GENERIC_WRITE, 0, CREATE_NEW).Valid());
    EXPECT_EQ(Plat().GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_FALSE(Open(Scratch(u"missing.txt"), GENERIC_READ, 0, OPEN_EXISTING).Valid());
    EXPECT_EQ(Plat().GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(Open(Scratch(u"no\\such\\dir.txt"), GENERIC_WRITE, 0, OPEN_ALWAYS).Valid());
    EXPECT_EQ(Plat().GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(FileContract, PointerSizeAndEndOfFileAppendAndTruncate)
{
    const std::u16string path = Scratch(u"log.txt");
    WriteAll(path, "hello");
    UniqueFile file = Open(path, GENERIC_WRITE, FILE_SHARE_WRITE, OPEN_ALWAYS);
    ASSERT_TRUE(file.Valid());
    DWORD high = 7;
    EXPECT_EQ(Plat().GetFileSize(file.Get(), &high), 5u);
    EXPECT_EQ(high, 0u);
    LONG moveHigh = 0;
    EXPECT_EQ(Plat().SetFilePointer(file.Get(), 0, &moveHigh, FILE_END), 5u);
    DWORD written = 0;
    ASSERT_TRUE(Plat().WriteFile(file.Get(), " world", 6, &written, nullptr));
    EXPECT_EQ(written, 6u);
    file.Reset();
    EXPECT_EQ(ReadAll(path), "hello world");

    file = Open(path, GENERIC_WRITE, FILE_SHARE_WRITE, OPEN_ALWAYS);
    EXPECT_EQ(Plat().SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN), 0u);
    EXPECT_TRUE(Plat().SetEndOfFile(file.Get()));
    EXPECT_EQ(Plat().GetFileSize(file.Get(), nullptr), 0u);
    ASSERT_TRUE(Plat().WriteFile(file.Get(), "new", 3, &written, nullptr));
    file.Reset();
    EXPECT_EQ(ReadAll(path), "new");
}

TEST_F(FileContract, ShareModesOfOpenHandlesDecideLaterOpens)
{
    const std::u16string path = Scratch(u"shared.txt");
    WriteAll(path, "x");
    // Held like an editor that lets others read but not write.
    UniqueFile reader = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_TRUE(reader.Valid());
    EXPECT_FALSE(Open(path, GENERIC_WRITE, FILE_SHARE_WRITE, OPEN_ALWAYS).Valid());
    EXPECT_EQ(Plat().GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING).Valid());
    EXPECT_FALSE(Plat().DeleteFileW(path.c_str()));
    EXPECT_EQ(Plat().GetLastError(), ERROR_SHARING_VIOLATION);
    reader.Reset();

    // Two writers that both share writing may coexist.
    UniqueFile first = Open(path, GENERIC_WRITE, FILE_SHARE_WRITE, OPEN_ALWAYS);
    ASSERT_TRUE(first.Valid());
    EXPECT_TRUE(Open(path, GENERIC_WRITE, FILE_SHARE_WRITE, OPEN_ALWAYS).Valid());
    EXPECT_FALSE(Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING).Valid());
    first.Reset();
    EXPECT_TRUE(Plat().DeleteFileW(path.c_str()));
    EXPECT_EQ(Plat().GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Plat().GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileContract, DirectoriesAndAttributes)
{
    const std::u16string dir = Scratch(u"sub");
    ASSERT_TRUE(Plat().CreateDirectoryW(dir.c_str(), nullptr));
    EXPECT_FALSE(Plat().CreateDirectoryW(dir.c_str(), nullptr));
    EXPECT_EQ(Plat().GetLastError(), ERROR_ALREADY_EXISTS);
    const std::u16string deep = Scratch(u"none\\deeper");
    EXPECT_FALSE(Plat().CreateDirectoryW(deep.c_str(), nullptr));
    EXPECT_EQ(Plat().GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_NE(Plat().GetFileAttributesW(dir.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);

    // A folder cannot be opened or deleted as a file.
    EXPECT_FALSE(Open(dir, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING).Valid());
    EXPECT_EQ(Plat().GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(Plat().DeleteFileW(dir.c_str()));

    const std::u16string file = dir + u"\\ro.dll";
    WriteAll(file, "MZ");
    EXPECT_FALSE(Plat().RemoveDirectoryW(dir.c_str()));
    EXPECT_EQ(Plat().GetLastError(), ERROR_DIR_NOT_EMPTY);
    ASSERT_TRUE(Plat().SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(Plat().GetFileAttributesW(file.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
#ifndef _WIN32
    // Wine maps the read-only bit to Unix permissions, which do not bind the
    // root user our Wine runs as; Windows refuses the open.
    EXPECT_FALSE(Open(file, GENERIC_WRITE, 0, OPEN_EXISTING).Valid());
    EXPECT_EQ(Plat().GetLastError(), ERROR_ACCESS_DENIED);
#endif
    EXPECT_FALSE(Plat().DeleteFileW(file.c_str()));
    EXPECT_EQ(Plat().GetLastError(), ERROR_ACCESS_DENIED);
    ASSERT_TRUE(Plat().SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(Plat().DeleteFileW(file.c_str()));
    EXPECT_TRUE(Plat().RemoveDirectoryW(dir.c_str()));
}
