#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "common/platform/sim/sim_machine.h"
#include "common/platform/sim/sim_pe_image.h"
#include "modules/sysfile/file_version.h"
#include "modules/sysfile/pe_image.h"
#include "modules/sysfile/system_folders.h"

using plat::sim::BuildPeImage;
using plat::sim::PeImageParts;
using plat::sim::SimMachine;
using plat::sim::VersionedImage;

namespace {

const std::u16string kFile = u"C:\\WINDOWS\\system32\\kernel32.dll";

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

std::string WithLong(std::string image, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) image[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
    return image;
}

TEST(IsPeImage, LooksForMzAndThePeSignatureWhereTheDosHeaderPoints)
{
    PeImageParts program;
    program.library = false;
    const std::string dll = VersionedImage(u"5.1.2600.5512");
    const struct {
        const char* name;
        std::function<void(SimMachine&)> arrange;
        int32_t image;
        int32_t library;
    } cases[] = {
        {"library", [&](SimMachine& m) { m.AddFile(kFile, dll); }, 1, 1},
        {"program", [&](SimMachine& m) { m.AddFile(kFile, BuildPeImage(program)); }, 1, 0},
        {"missing", [](SimMachine&) {}, 0, -1},
        {"folder", [](SimMachine& m) { m.AddDirectory(kFile); }, 0, -1},
        {"text", [](SimMachine& m) { m.AddFile(kFile, std::string(200, 'x')); }, 0, -1},
        {"shorter than a DOS header", [&](SimMachine& m) { m.AddFile(kFile, dll.substr(0, 63)); }, 0, -1},
        {"cut before the file header", [&](SimMachine& m) { m.AddFile(kFile, dll.substr(0, 0x80 + 23)); }, 0, -1},
        {"e_lfanew past the end", [&](SimMachine& m) { m.AddFile(kFile, WithLong(dll, 60, 0x7fffff00)); }, 0, -1},
        {"e_lfanew negative", [&](SimMachine& m) { m.AddFile(kFile, WithLong(dll, 60, 0xfffffff0)); }, 0, -1},
        {"no PE signature", [&](SimMachine& m) { m.AddFile(kFile, WithLong(dll, 0x80, 0x4c450000)); }, 0, -1},
        {"held without read sharing",
         [&](SimMachine& m) {
             m.AddFile(kFile, dll);
             m.HoldFileOpen(kFile, GENERIC_WRITE, FILE_SHARE_WRITE);
         },
         0, -1},
    };
    for (const auto& c : cases) {
        SimMachine machine;
        plat::ScopedPlatform scoped(machine);
        c.arrange(machine);
        int32_t library = -1;
        EXPECT_EQ(IsPeImage(kFile, &library), c.image) << c.name;
        EXPECT_EQ(library, c.library) << c.name;
        EXPECT_EQ(IsPeImage(kFile), c.image) << c.name;
        EXPECT_EQ(machine.OpenHandleCount(), 0u) << c.name;
    }
}

class FileVersionTest : public ::testing::Test {
protected:
    SimMachine machine;
    plat::ScopedPlatform scoped{machine};

    // The text GetFileVersionText leaves, or "<failed>".
    std::string VersionOf(const std::string& content, const std::u16string& before = u"")
    {
        machine.AddFile(kFile, content);
        std::u16string text = before;
        return GetFileVersionText(kFile, text) ? Narrow(text) : "<failed>";
    }
};

TEST_F(FileVersionTest, ReadsTheFileVersionStringOfTheLastTranslation)
{
    EXPECT_EQ(VersionOf(VersionedImage(u"5.1.2600.5512 (xpsp.080413-2111)")), "5.1.2600.5512 (xpsp.080413-2111)");
    EXPECT_EQ(VersionOf(VersionedImage(u"6.0.6000.16386 \t \r\n")), "6.0.6000.16386");
    EXPECT_EQ(VersionOf(VersionedImage(u""), u"stale"), "");

    PeImageParts two;
    two.tables = {{0x0804, 0x04b0, u"5.1.2600.0 (chs)"}, {0x0409, 0x04b0, u"5.1.2600.0 (enu)"}};
    EXPECT_EQ(VersionOf(BuildPeImage(two)), "5.1.2600.0 (enu)");
    // A translation whose table lacks the string leaves the earlier one's text.
    two.tables[1].fileVersion.reset();
    EXPECT_EQ(VersionOf(BuildPeImage(two)), "5.1.2600.0 (chs)");
}

TEST_F(FileVersionTest, FilesWithoutTranslationsSucceedWithTheTextUnchanged)
{
    PeImageParts unlisted;
    unlisted.tables = {{0x0409, 0x04b0, u"5.1.2600.5512"}};
    unlisted.listTranslations = false;
    EXPECT_EQ(VersionOf(BuildPeImage(unlisted), u"as before"), "as before");
}

TEST_F(FileVersionTest, FailsForFilesWithoutVersionInformation)
{
    PeImageParts bare;
    bare.withVersionResource = false;
    EXPECT_EQ(VersionOf(BuildPeImage(bare)), "<failed>");
    EXPECT_EQ(VersionOf("not an image at all"), "<failed>");
    machine.AddDirectory(u"C:\\WINDOWS\\system32\\lpk.dll");
    std::u16string text;
    EXPECT_EQ(GetFileVersionText(u"C:\\WINDOWS\\system32\\lpk.dll", text), 0);
    EXPECT_EQ(GetFileVersionText(u"C:\\WINDOWS\\system32\\missing.dll", text), 0);
    EXPECT_EQ(machine.VersionInfoExCalls(), 0);
}

TEST_F(FileVersionTest, VistaAndLaterReadThroughTheExFormsOfVersionDll)
{
    machine.SetWindowsVersion(6, 1, 7600, 0);
    EXPECT_EQ(VersionOf(VersionedImage(u"6.1.7600.16385 (win7_rtm.090713-1255)")),
              "6.1.7600.16385 (win7_rtm.090713-1255)");
    EXPECT_EQ(machine.VersionInfoExCalls(), 2);
    EXPECT_EQ(machine.LoadedLibraryCount(), 0);

    machine.FailCall("LoadLibraryW", ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(VersionOf(VersionedImage(u"6.1.7600.16385")), "<failed>");
    machine.FailCall("GetProcAddress", ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(VersionOf(VersionedImage(u"6.1.7600.16385")), "<failed>");
    EXPECT_EQ(machine.LoadedLibraryCount(), 0);
}

TEST_F(FileVersionTest, DamagedImagesNeverReadOutsideTheirData)
{
    PeImageParts parts;
    parts.tables = {{0x0804, 0x03a8, u"5.1.2600.5512 (xpsp.080413-2111)"}, {0x0409, 0x04b0, u"5.1.2600.5512"}};
    const std::string image = BuildPeImage(parts);
    for (size_t cut = 0; cut < image.size(); cut += 3) VersionOf(image.substr(0, cut));
    for (size_t at = 0; at < image.size(); ++at) {
        std::string damaged = image;
        damaged[at] = static_cast<char>(damaged[at] ^ 0xff);
        VersionOf(damaged);
    }
    EXPECT_EQ(machine.OpenHandleCount(), 0u);
}

TEST(SystemFolders, EndInABackslashAndAreEmptyWhenWindowsCannotNameThem)
{
    SimMachine machine;
    plat::ScopedPlatform scoped(machine);
    std::u16string system = u"x", windows = u"x";
    GetSystemFolder(system);
    GetWindowsFolder(windows);
    EXPECT_EQ(Narrow(system), "C:\\WINDOWS\\system32\\");
    EXPECT_EQ(Narrow(windows), "C:\\WINDOWS\\");

    machine.SetFolderPath(CSIDL_WINDOWS, u"D:\\");
    GetWindowsFolder(windows);
    EXPECT_EQ(Narrow(windows), "D:\\");

    machine.FailCall("GetSystemDirectoryW", ERROR_ACCESS_DENIED);
    GetSystemFolder(system);
    EXPECT_EQ(system, u"");
}

}  // namespace
