// The library loads xmllite.dll from the system folder and XMLParser.dll from
// its own, whatever lies in the host's folder and the current one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>
#include <psapi.h>

#include <tarnclient/TarnClient.h>

#include "tests/support/ScriptedServer.h"
#include "tests/support/ServiceRecordBytes.h"

namespace {

using namespace tarnclient;

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(towlower(c));
    return text;
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return Lower(std::wstring(full, length));
}

// Where the process loaded every module it has, in lower case.
std::vector<std::wstring> LoadedModules() {
    HMODULE modules[1024];
    DWORD bytes = 0;
    std::vector<std::wstring> paths;
    if (!EnumProcessModules(GetCurrentProcess(), modules, sizeof modules, &bytes))
        return paths;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE); ++i) {
        wchar_t path[MAX_PATH];
        const DWORD length = GetModuleFileNameW(modules[i], path, MAX_PATH);
        paths.push_back(Lower(std::wstring(path, length)));
    }
    return paths;
}

// The folders a file called name was loaded from.
std::vector<std::wstring> FoldersOf(const std::wstring& name) {
    std::vector<std::wstring> folders;
    for (const std::wstring& path : LoadedModules()) {
        const std::wstring::size_type slash = path.rfind(L'\\');
        if (slash != std::wstring::npos && path.substr(slash + 1) == Lower(name))
            folders.push_back(path.substr(0, slash));
    }
    return folders;
}

TEST(PlantedDlls, TheLibraryLoadsOnlyTheRealOnes) {
    tarntest::ScriptedServer server;
    const std::string list = "<l><s name=\"a\" address=\"10.0.0.1:7\" uc=\"1\"/></l>";
    server.Script(tarntest::Answer(tarntest::HttpReply(200, tarntest::ReplyRecordBytes(2, 0, {{"serverlist", list}}))));
    std::wstring libraryFolder;
    for (const char* c = TARN_LIBRARY_DIR; *c; ++c)
        libraryFolder += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    libraryFolder = FullPath(libraryFolder);
    ASSERT_NE(Lower(FullPath(L".")), libraryFolder) << "the test runs from a folder of planted DLLs";

    // As a launcher loads a plug-in: by its full path, nothing else said.
    HMODULE library = LoadLibraryW((libraryFolder + L"\\TarnClient.dll").c_str());
    ASSERT_TRUE(library);
    using GetFactory = IComponentFactory* (*)();
    const auto entry = reinterpret_cast<void (*)()>(GetProcAddress(library, "TarnClientLib_GetComponentFactory"));
    const auto getFactory = reinterpret_cast<GetFactory>(entry);
    ASSERT_TRUE(getFactory);
    {
        Ref<IComponentFactory> factory(getFactory());
        std::int32_t err = 0;
        Ref<ICoreFactory> core = factory.As<ICoreFactory>(&err);
        ASSERT_TRUE(core);
        auto manager = Ref<IAddressManager>::Adopt(
            core->CreateAddressManager(IAddressManager::Id, &err, server.Address().c_str()));
        ASSERT_TRUE(manager);
        // The planted parser would fail the reading of the list.
        Ref<IServerAddressList> list(manager->GetServerAddressEnum("P", "c", "any", nullptr));
        ASSERT_TRUE(list);
        std::int32_t pos = list->Begin();
        EXPECT_TRUE(Ref<IServerAddress>(list->Next(&pos)));
    }
    EXPECT_EQ(std::vector<std::wstring>{libraryFolder}, FoldersOf(L"XMLParser.dll"));
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(std::vector<std::wstring>{Lower(std::wstring(system, length))}, FoldersOf(L"xmllite.dll"));
}

} // namespace
