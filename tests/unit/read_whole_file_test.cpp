#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/platform/sim/sim_machine.h"
#include "modules/sysfile/digest_index.h"

namespace {

// The in-memory machine, able to cut a read short or to report another file
// size than the content it holds.
class ReadFaultMachine : public plat::sim::SimMachine {
public:
    DWORD m_nReadShortBy = 0;
    std::optional<DWORD> m_nReportedSizeLow;
    DWORD m_nReportedSizeHigh = 0;
    int m_nReadCalls = 0;

    BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped) override
    {
        ++m_nReadCalls;
        const DWORD granted = toRead > m_nReadShortBy ? toRead - m_nReadShortBy : 0;
        return SimMachine::ReadFile(file, buffer, granted, read, overlapped);
    }
    DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) override
    {
        const DWORD size = SimMachine::GetFileSize(file, sizeHigh);
        if (!m_nReportedSizeLow) return size;
        if (sizeHigh != nullptr) *sizeHigh = m_nReportedSizeHigh;
        return *m_nReportedSizeLow;
    }
};

const std::u16string kIndexPath = u"C:\\Documents and Settings\\All Users\\Application Data\\morvathTools\\mendora.idx";

// One whole record and one stray byte.
std::string OneRecordIndexFile()
{
    const Md5Digest key = MakePathKey(u"C:\\WINDOWS\\system32\\lpk.dll", u"C:\\WINDOWS\\");
    const Md5Digest content = Md5("lpk", 3);
    std::string bytes(key.begin(), key.end());
    bytes.append(content.begin(), content.end());
    bytes += '\x7f';
    return bytes;
}

TEST(ReadWholeFile, ReadsTheWholeContentAndClosesTheFile)
{
    ReadFaultMachine machine;
    plat::ScopedPlatform scoped(machine);
    machine.AddFile(kIndexPath, OneRecordIndexFile());
    // The file may be open for writing elsewhere: reading shares read and write.
    machine.HoldFileOpen(kIndexPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);

    const std::optional<std::vector<uint8_t>> index = ReadWholeFile(kIndexPath);
    ASSERT_TRUE(index.has_value());
    EXPECT_EQ(std::string(index->begin(), index->end()), OneRecordIndexFile());
    EXPECT_EQ(machine.OpenHandleCount(), 0u);

    const DigestLookupResult lpk = LookupDigest(*index, MakePathKey(u"C:\\WINDOWS\\system32\\lpk.dll", u"C:\\WINDOWS\\"));
    EXPECT_EQ(lpk.outcome, DigestLookup::Found);
    EXPECT_EQ(lpk.record.ContentDigest, Md5("lpk", 3));
}

TEST(ReadWholeFile, GivesNoneAndClosesTheFileWhenTheContentIsNotAllThere)
{
    const struct {
        const char* name;
        std::function<void(ReadFaultMachine&)> arrange;
        bool reads;  // whether the content is asked for at all
    } cases[] = {
        {"missing", [](ReadFaultMachine&) {}, false},
        {"empty", [](ReadFaultMachine& m) { m.AddFile(kIndexPath, ""); }, false},
        {"folder", [](ReadFaultMachine& m) { m.AddDirectory(kIndexPath); }, false},
        {"held without sharing",
         [](ReadFaultMachine& m) {
             m.AddFile(kIndexPath, OneRecordIndexFile());
             m.HoldFileOpen(kIndexPath, GENERIC_READ, 0);
         },
         false},
        {"read fails",
         [](ReadFaultMachine& m) {
             m.AddFile(kIndexPath, OneRecordIndexFile());
             m.FailCall("ReadFile", ERROR_ACCESS_DENIED);
         },
         true},
        {"read cut short by one byte",
         [](ReadFaultMachine& m) {
             m.AddFile(kIndexPath, OneRecordIndexFile());
             m.m_nReadShortBy = 1;
         },
         true},
        // A file of 4 GiB + 33 bytes must not pass for a file of 33 bytes.
        {"4 GiB or more",
         [](ReadFaultMachine& m) {
             m.AddFile(kIndexPath, OneRecordIndexFile());
             m.m_nReportedSizeLow = 33;
             m.m_nReportedSizeHigh = 1;
         },
         false},
        {"above the size bound",
         [](ReadFaultMachine& m) {
             m.AddFile(kIndexPath, OneRecordIndexFile());
             m.m_nReportedSizeLow = MAX_WHOLE_FILE_BYTES + 1;
         },
         false},
        {"size unknown",
         [](ReadFaultMachine& m) {
             m.AddFile(kIndexPath, OneRecordIndexFile());
             m.m_nReportedSizeLow = INVALID_FILE_SIZE;
         },
         false},
    };
    for (const auto& c : cases) {
        ReadFaultMachine machine;
        plat::ScopedPlatform scoped(machine);
        c.arrange(machine);
        EXPECT_FALSE(ReadWholeFile(kIndexPath).has_value()) << c.name;
        EXPECT_EQ(machine.m_nReadCalls != 0, c.reads) << c.name;
        EXPECT_EQ(machine.OpenHandleCount(), 0u) << c.name;
    }
}

}  // namespace
