// Windows version and language, version resources of files, "version.dll"
// loaded at run time, the program's own resources and the system folders.
#include <cstring>
#include <string>
#include <vector>

#include "common/platform/handles.h"
#include "contract/contract_fixture.h"

#ifndef _WIN32
#include "common/platform/sim/sim_machine.h"
#include "common/platform/sim/sim_pe_image.h"
#endif

namespace {

// The resource of type "bin" that the contract program carries
// (contract_resources.rc, resource_sample.bin).
constexpr WORD kSampleResource = 901;
const std::string kSampleBytes = "vexlo contract resource\n";

std::u16string FolderText(UINT (plat::ISystemFolderApi::*call)(char16_t*, UINT))
{
    plat::ISystemFolderApi& api = plat::P();
    std::vector<char16_t> buffer(MAX_PATH * 2, u'\0');
    const UINT n = (api.*call)(buffer.data(), static_cast<UINT>(buffer.size()));
    return std::u16string(buffer.data(), n < buffer.size() ? n : 0);
}

std::u16string Lower(std::u16string text)
{
    for (char16_t& c : text) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return text;
}

}  // namespace

class VersionContract : public ContractTest {
protected:
    void SetUp() override
    {
        ContractTest::SetUp();
#ifndef _WIN32
        // What a real system folder holds: a library with version information.
        auto& machine = static_cast<plat::sim::SimMachine&>(Plat());
        machine.AddFile(u"C:\\WINDOWS\\system32\\kernel32.dll",
                        plat::sim::VersionedImage(u"5.1.2600.5512 (xpsp.080413-2111)"));
        machine.SetResource(u"bin", kSampleResource, kSampleBytes);
#endif
    }

    std::u16string Kernel32() { return FolderText(&plat::ISystemFolderApi::GetSystemDirectoryW) + u"\\kernel32.dll"; }
    void UseVista()
    {
#ifndef _WIN32
        static_cast<plat::sim::SimMachine&>(Plat()).SetWindowsVersion(6, 0, 6002, 2);
#endif
    }
    DWORD MajorVersion()
    {
        OSVERSIONINFOW info = {};
        info.dwOSVersionInfoSize = sizeof info;
        return Plat().GetVersionExW(&info) ? info.dwMajorVersion : 0;
    }
};

TEST_F(VersionContract, VersionRecordsOfBothSizesAndNoOther)
{
    OSVERSIONINFOEXW ex = {};
    ex.dwOSVersionInfoSize = sizeof ex;
    ASSERT_TRUE(Plat().GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex)));
    EXPECT_GE(ex.dwMajorVersion, 5u);
    EXPECT_EQ(ex.dwPlatformId, VER_PLATFORM_WIN32_NT);
    const std::u16string csd(reinterpret_cast<const char16_t*>(ex.szCSDVersion));
    EXPECT_EQ(ex.wServicePackMajor != 0, csd.rfind(u"Service Pack ", 0) == 0);

    OSVERSIONINFOW basic = {};
    basic.dwOSVersionInfoSize = sizeof basic;
    ASSERT_TRUE(Plat().GetVersionExW(&basic));
    EXPECT_EQ(basic.dwMajorVersion, ex.dwMajorVersion);
    EXPECT_EQ(basic.dwMinorVersion, ex.dwMinorVersion);

    OSVERSIONINFOW wrong = {};
    wrong.dwOSVersionInfoSize = sizeof wrong - 4;
    // Windows says ERROR_INSUFFICIENT_BUFFER; Wine leaves the last error alone.
    EXPECT_FALSE(Plat().GetVersionExW(&wrong));

    EXPECT_NE(Plat().GetSystemDefaultUILanguage(), 0);
}

TEST_F(VersionContract, FolderLengthsCountTheTerminatorOnlyWhenTheBufferIsTooSmall)
{
    for (auto call : {&plat::ISystemFolderApi::GetSystemDirectoryW, &plat::ISystemFolderApi::GetWindowsDirectoryW}) {
        plat::ISystemFolderApi& api = Plat();
        const UINT needed = (api.*call)(nullptr, 0);
        ASSERT_GT(needed, 3u);
        std::vector<char16_t> exact(needed, u'#');
        EXPECT_EQ((api.*call)(exact.data(), needed), needed - 1);
        EXPECT_EQ(exact[needed - 1], u'\0');
        std::vector<char16_t> small(needed - 1, u'#');
        EXPECT_EQ((api.*call)(small.data(), needed - 1), needed);
    }
    const std::u16string windows = FolderText(&plat::ISystemFolderApi::GetWindowsDirectoryW);
    EXPECT_EQ(Lower(FolderText(&plat::ISystemFolderApi::GetSystemDirectoryW)), Lower(windows + u"\\system32"));
}

TEST_F(VersionContract, VersionInformationOfASystemLibrary)
{
    const std::u16string path = Kernel32();
    DWORD handle = 7;
    const DWORD size = Plat().GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    EXPECT_EQ(handle, 0u);
    std::vector<unsigned char> block(size);
    ASSERT_TRUE(Plat().GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    auto inside = [&](const void* p, size_t bytes) {
        const auto* start = static_cast<const unsigned char*>(p);
        return start >= block.data() && start + bytes <= block.data() + block.size();
    };

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(Plat().VerQueryValueW(block.data(), u"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    ASSERT_TRUE(inside(value, length));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, VS_FFI_SIGNATURE);

    // Names are matched without regard to case; binary lengths count bytes.
    ASSERT_TRUE(Plat().VerQueryValueW(block.data(), u"\\varfileinfo\\TRANSLATION", &value, &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(length % 4, 0u);
    ASSERT_TRUE(inside(value, length));
    const auto* translation = static_cast<const unsigned char*>(value);
    char hex[9];
    for (int i = 0; i < 4; ++i) {
        static const char digits[] = "0123456789abcdef";
        const unsigned char byte = translation[i < 2 ? 1 - i : 3 - (i - 2)];
        hex[2 * i] = digits[byte >> 4];
        hex[2 * i + 1] = digits[byte & 15];
    }
    hex[8] = '\0';
    const std::u16string query = u"\\StringFileInfo\\" + std::u16string(hex, hex + 8) + u"\\FileVersion";

    // Text lengths count characters, the terminator included.
    ASSERT_TRUE(Plat().VerQueryValueW(block.data(), query.c_str(), &value, &length)) << std::string(hex);
    ASSERT_GE(length, 2u);
    ASSERT_TRUE(inside(value, length * sizeof(char16_t)));
    std::u16string text(length, u'\0');
    std::memcpy(text.data(), value, length * sizeof(char16_t));
    EXPECT_EQ(text.back(), u'\0');
    EXPECT_EQ(text.find(u'\0'), length - 1);
    EXPECT_TRUE(text[0] >= u'0' && text[0] <= u'9');

    EXPECT_FALSE(Plat().VerQueryValueW(block.data(), u"\\StringFileInfo\\no such table\\FileVersion", &value, &length));
}

TEST_F(VersionContract, FilesWithoutVersionInformation)
{
    DWORD handle = 0;
    EXPECT_EQ(Plat().GetFileVersionInfoSizeW(Scratch(u"missing.dll").c_str(), &handle), 0u);
    EXPECT_EQ(Plat().GetLastError(), ERROR_FILE_NOT_FOUND);
    WriteAll(Scratch(u"notes.txt"), std::string(300, 'x'));
    EXPECT_EQ(Plat().GetFileVersionInfoSizeW(Scratch(u"notes.txt").c_str(), &handle), 0u);
    EXPECT_NE(Plat().GetLastError(), NO_ERROR);
}

TEST_F(VersionContract, VersionDllGivesTheExFormsFromVistaOn)
{
    UseVista();
    const plat::UniqueLibrary library(Plat().LoadLibraryW(u"version.dll"));
    ASSERT_TRUE(library);
    EXPECT_EQ(Plat().GetProcAddress(library.Get(), "NoSuchEntryPoint"), nullptr);
    EXPECT_EQ(Plat().GetLastError(), ERROR_PROC_NOT_FOUND);

    const FARPROC size = Plat().GetProcAddress(library.Get(), "GetFileVersionInfoSizeExW");
    const FARPROC info = Plat().GetProcAddress(library.Get(), "GetFileVersionInfoExW");
    if (MajorVersion() < 6) {
        // Windows XP lacks them; Wine exports them whatever version it reports.
#ifndef _WIN32
        EXPECT_EQ(size, nullptr);
        EXPECT_EQ(info, nullptr);
#endif
        if (size == nullptr) return;
    }
    ASSERT_NE(size, nullptr);
    ASSERT_NE(info, nullptr);
    const auto sizeEx = reinterpret_cast<plat::GetFileVersionInfoSizeExWFn>(reinterpret_cast<void*>(size));
    const auto infoEx = reinterpret_cast<plat::GetFileVersionInfoExWFn>(reinterpret_cast<void*>(info));
    const std::u16string path = Kernel32();
    DWORD handle = 0;
    const DWORD bytes = sizeEx(0, path.c_str(), &handle);
    ASSERT_GT(bytes, 0u);
    std::vector<unsigned char> block(bytes);
    ASSERT_TRUE(infoEx(0, path.c_str(), 0, bytes, block.data()));
    void* value = nullptr;
    UINT length = 0;
    EXPECT_TRUE(Plat().VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &value, &length));
}

TEST_F(VersionContract, UnknownLibrariesDoNotLoad)
{
    EXPECT_EQ(Plat().LoadLibraryW(u"vexlo-no-such-library.dll"), nullptr);
    EXPECT_EQ(Plat().GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST_F(VersionContract, TheProgramsResourcesByIdAndTypeName)
{
    // Type names are matched without regard to case ("bin" finds BIN).
    const HRSRC resource = Plat().FindResourceW(nullptr, plat::IntResource(kSampleResource), u"bin");
    ASSERT_NE(resource, nullptr);
    ASSERT_EQ(Plat().SizeofResource(nullptr, resource), kSampleBytes.size());
    const HGLOBAL loaded = Plat().LoadResource(nullptr, resource);
    ASSERT_NE(loaded, nullptr);
    const void* data = Plat().LockResource(loaded);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(static_cast<const char*>(data), kSampleBytes.size()), kSampleBytes);
    Plat().FreeResource(loaded);

    EXPECT_EQ(Plat().FindResourceW(nullptr, plat::IntResource(kSampleResource + 1), u"bin"), nullptr);
    EXPECT_EQ(Plat().GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(Plat().FindResourceW(nullptr, plat::IntResource(kSampleResource), u"vexlo"), nullptr);
    EXPECT_EQ(Plat().GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
}
