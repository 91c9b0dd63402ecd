// The server's exports through the real regsvr32 and LoadLibrary: what
// registration writes and removes, the type library, the class factory and
// the module lock count.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "RssLib.h"
#include "support/BandTestSupport.h"
#include "support/TestPaths.h"

namespace {

const wchar_t kClsidKey[] = L"CLSID\\{8755CE6E-0BF7-4441-8751-FB728941B0B4}";
const wchar_t kMenuExt[] = L"Software\\Microsoft\\Internet Explorer\\MenuExt";
const wchar_t kMenuEntry[] = L"Software\\Microsoft\\Internet Explorer\\MenuExt\\添加到“我的订阅”";
const wchar_t kExtensions[] = L"Software\\Microsoft\\Internet Explorer\\Extensions";
const wchar_t kExtension[] =
    L"Software\\Microsoft\\Internet Explorer\\Extensions\\{8755CE6E-0BF7-4441-8751-FB728941B0B4}";
const wchar_t kTitle[] = L"我的订阅";

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The string value, or "<missing>".
std::wstring ReadString(HKEY root, const std::wstring& path, const wchar_t* name = nullptr) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return L"<missing>";
    wchar_t value[1024] = L"";
    DWORD size = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    LONG error = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (error != ERROR_SUCCESS || type != REG_SZ) return L"<missing>";
    return value;
}

DWORD ReadDword(HKEY root, const std::wstring& path, const wchar_t* name) {
    HKEY key;
    DWORD value = 0xDEADBEEF;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    DWORD size = sizeof value;
    DWORD type = 0;
    RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return type == REG_DWORD ? value : 0xDEADBEEF;
}

// (subkeys, values) of a key; (-1, -1) when it is missing.
std::pair<int, int> Counts(HKEY root, const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {-1, -1};
    DWORD subkeys = 0, values = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return {static_cast<int>(subkeys), static_cast<int>(values)};
}

void WriteString(HKEY root, const std::wstring& path, const wchar_t* name, const wchar_t* text) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                             &key, nullptr));
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

int Regsvr32(const std::wstring& options, const std::wstring& module) {
    return RunProcess(L"regsvr32 " + options + L" \"" + module + L"\"");
}

std::wstring LongFolderOf(const std::wstring& module) {
    std::wstring folder = module.substr(0, module.rfind(L'\\'));
    wchar_t longPath[MAX_PATH];
    DWORD length = GetLongPathNameW(folder.c_str(), longPath, MAX_PATH);
    return (length ? std::wstring(longPath) : folder) + L"\\";
}

class ComServerTest : public ::testing::Test {
protected:
    std::wstring module_ = BuildPath("band/rssband.dll");
};

TEST_F(ComServerTest, Regsvr32WritesTheRegistrationTable) {
    // Leftovers under replaced keys go; neighbours under kept keys stay.
    WriteString(HKEY_CLASSES_ROOT, std::wstring(kClsidKey) + L"\\Programmable\\Stale", nullptr,
                L"x");
    WriteString(HKEY_LOCAL_MACHINE, kExtension, L"Stale", L"x");
    WriteString(HKEY_CURRENT_USER, std::wstring(kMenuExt) + L"\\Other entry", nullptr, L"o");

    ASSERT_EQ(0, Regsvr32(L"/s", module_));

    EXPECT_EQ(kTitle, ReadString(HKEY_CLASSES_ROOT, L"Varnel.Rss.1"));
    EXPECT_EQ(L"{8755CE6E-0BF7-4441-8751-FB728941B0B4}",
              ReadString(HKEY_CLASSES_ROOT, L"Varnel.Rss.1\\CLSID"));
    EXPECT_EQ(kTitle, ReadString(HKEY_CLASSES_ROOT, L"Varnel.Rss"));
    EXPECT_EQ(L"{8755CE6E-0BF7-4441-8751-FB728941B0B4}",
              ReadString(HKEY_CLASSES_ROOT, L"Varnel.Rss\\CLSID"));
    EXPECT_EQ(L"Varnel.Rss.1", ReadString(HKEY_CLASSES_ROOT, L"Varnel.Rss\\CurVer"));

    std::wstring clsid = kClsidKey;
    EXPECT_EQ(kTitle, ReadString(HKEY_CLASSES_ROOT, clsid));
    EXPECT_EQ((std::pair<int, int>{6, 1}), Counts(HKEY_CLASSES_ROOT, clsid));
    EXPECT_EQ(L"Varnel.Rss.1", ReadString(HKEY_CLASSES_ROOT, clsid + L"\\ProgID"));
    EXPECT_EQ(L"Varnel.Rss", ReadString(HKEY_CLASSES_ROOT, clsid + L"\\VersionIndependentProgID"));
    EXPECT_EQ((std::pair<int, int>{0, 0}), Counts(HKEY_CLASSES_ROOT, clsid + L"\\Programmable"));
    EXPECT_EQ(0, lstrcmpiW(module_.c_str(),
                           ReadString(HKEY_CLASSES_ROOT, clsid + L"\\InprocServer32").c_str()));
    EXPECT_EQ(L"Apartment",
              ReadString(HKEY_CLASSES_ROOT, clsid + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ((std::pair<int, int>{0, 2}), Counts(HKEY_CLASSES_ROOT, clsid + L"\\InprocServer32"));
    EXPECT_EQ(L"{D445895C-B621-4D33-9898-4078CD171186}",
              ReadString(HKEY_CLASSES_ROOT, clsid + L"\\TypeLib"));
    EXPECT_EQ((std::pair<int, int>{0, 0}),
              Counts(HKEY_CLASSES_ROOT, clsid + L"\\Implemented Categories\\"
                                                L"{00021493-0000-0000-C000-000000000046}"));

    EXPECT_EQ(LongFolderOf(module_) + L"rss.htm", ReadString(HKEY_CURRENT_USER, kMenuEntry));
    EXPECT_EQ(0x22u, ReadDword(HKEY_CURRENT_USER, kMenuEntry, L"Contexts"));
    EXPECT_EQ((std::pair<int, int>{0, 2}), Counts(HKEY_CURRENT_USER, kMenuEntry));

    EXPECT_EQ(L"", ReadString(HKEY_LOCAL_MACHINE, kExtension));
    EXPECT_EQ((std::pair<int, int>{0, 8}), Counts(HKEY_LOCAL_MACHINE, kExtension));
    EXPECT_EQ(L"{8755CE6E-0BF7-4441-8751-FB728941B0B4}",
              ReadString(HKEY_LOCAL_MACHINE, kExtension, L"BandCLSID"));
    EXPECT_EQ(kTitle, ReadString(HKEY_LOCAL_MACHINE, kExtension, L"ButtonText"));
    EXPECT_EQ(L"{E0DD6CAB-2D10-11D2-8F1A-0000F87ABD16}",
              ReadString(HKEY_LOCAL_MACHINE, kExtension, L"clsid"));
    EXPECT_EQ(L"Yes", ReadString(HKEY_LOCAL_MACHINE, kExtension, L"Default Visible"));
    std::wstring icon = ReadString(HKEY_LOCAL_MACHINE, kExtension, L"Icon");
    EXPECT_EQ(0, lstrcmpiW((module_ + L",101").c_str(), icon.c_str())) << icon;
    EXPECT_EQ(icon, ReadString(HKEY_LOCAL_MACHINE, kExtension, L"HotIcon"));
    EXPECT_EQ(kTitle, ReadString(HKEY_LOCAL_MACHINE, kExtension, L"ToolTip"));

    EXPECT_EQ(
        L"Rss 1.0 Type Library",
        ReadString(HKEY_CLASSES_ROOT, L"TypeLib\\{D445895C-B621-4D33-9898-4078CD171186}\\1.0"));

    // Unregistration removes what it wrote and keeps the shared keys.
    WriteString(HKEY_CLASSES_ROOT, L"Varnel.Rss\\Foreign", nullptr, L"f");
    ASSERT_EQ(0, Regsvr32(L"/u /s", module_));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Varnel.Rss.1"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Varnel.Rss\\CLSID"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Varnel.Rss\\CurVer"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Varnel.Rss\\Foreign"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, clsid));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kMenuEntry));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::wstring(kMenuExt) + L"\\Other entry"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kExtension));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kExtensions));
    EXPECT_FALSE(
        KeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\{D445895C-B621-4D33-9898-4078CD171186}\\1.0"));

    // A second unregistration finds nothing to remove and still succeeds.
    EXPECT_EQ(0, Regsvr32(L"/u /s", module_));
    RegDeleteKeyW(HKEY_CLASSES_ROOT, L"Varnel.Rss\\Foreign");
    RegDeleteKeyW(HKEY_CLASSES_ROOT, L"Varnel.Rss");
    RegDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(kMenuExt) + L"\\Other entry").c_str());
}

TEST_F(ComServerTest, ModulePathWithAQuoteIsWrittenAsItIs) {
    TempFolder temp;
    std::wstring folder = temp.File(L"it's band");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    std::wstring copy = folder + L"\\rssband.dll";
    ASSERT_TRUE(CopyFileW(module_.c_str(), copy.c_str(), FALSE));
    ASSERT_EQ(0, Regsvr32(L"/s", copy));
    std::wstring server =
        ReadString(HKEY_CLASSES_ROOT, std::wstring(kClsidKey) + L"\\InprocServer32");
    EXPECT_EQ(0, lstrcmpiW(copy.c_str(), server.c_str())) << server;
    EXPECT_EQ(LongFolderOf(copy) + L"rss.htm", ReadString(HKEY_CURRENT_USER, kMenuEntry));
    EXPECT_EQ(0, Regsvr32(L"/u /s", copy));
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
}

std::wstring Documentation(ITypeLib* library, int index, std::wstring* name) {
    BSTR nameText = nullptr, doc = nullptr;
    library->GetDocumentation(index, &nameText, &doc, nullptr, nullptr);
    *name = nameText ? nameText : L"";
    std::wstring result = doc ? doc : L"";
    SysFreeString(nameText);
    SysFreeString(doc);
    return result;
}

// Undoes a registration however the test ends: the type library's key is
// one for the 32-bit and the 64-bit build, so a registration left behind
// fails the other build's unregistration.
struct Unregistration {
    std::wstring module;
    ~Unregistration() { Regsvr32(L"/u /s", module); }
};

TEST_F(ComServerTest, RegisteredTypeLibraryNamesTheClassAndInterface) {
    ASSERT_EQ(0, Regsvr32(L"/s", module_));
    Unregistration undo{module_};
    ITypeLib* library = nullptr;
    ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_RSSLib, 1, 0, 0, &library));
    std::wstring name;
    EXPECT_EQ(L"Rss 1.0 Type Library", Documentation(library, -1, &name));
    EXPECT_EQ(L"RSSLib", name);

    ITypeInfo* info = nullptr;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(CLSID_RssBand, &info));
    UINT index = 0;
    info->GetContainingTypeLib(nullptr, &index);
    EXPECT_EQ(L"RssBand Class", Documentation(library, index, &name));
    EXPECT_EQ(L"RssBand", name);
    info->Release();

    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(IID_IRssBand, &info));
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    // IDispatch's seven methods and none of its own.
    EXPECT_EQ(7, attributes->cFuncs);
    info->ReleaseTypeAttr(attributes);
    info->GetContainingTypeLib(nullptr, &index);
    EXPECT_EQ(L"IRssBand Interface", Documentation(library, index, &name));
    EXPECT_EQ(L"IRssBand", name);
    info->Release();
    library->Release();
}

// An aggregating object that counts the references it is given.
class Outer : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_IUnknown)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        return inner->QueryInterface(riid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    ULONG refs = 1;
    IUnknown* inner = nullptr;
};

TEST_F(ComServerTest, ClassFactoryAndUnloadCount) {
    HMODULE dll = LoadLibraryW(module_.c_str());
    ASSERT_TRUE(dll);
    auto getClassObject = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
        GetProcAddress(dll, "DllGetClassObject"));
    auto canUnloadNow =
        reinterpret_cast<HRESULT(WINAPI*)()>(GetProcAddress(dll, "DllCanUnloadNow"));
    ASSERT_TRUE(getClassObject && canUnloadNow);
    CoInitialize(nullptr);

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(IID_IUnknown, IID_IClassFactory, &none));
    EXPECT_EQ(nullptr, none);

    IClassFactory* factory = nullptr;
    IClassFactory* again = nullptr;
    ASSERT_EQ(S_OK,
              getClassObject(CLSID_RssBand, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    ASSERT_EQ(S_OK,
              getClassObject(CLSID_RssBand, IID_IClassFactory, reinterpret_cast<void**>(&again)));
    EXPECT_EQ(factory, again);
    again->Release();
    EXPECT_EQ(S_OK, canUnloadNow());

    factory->LockServer(TRUE);
    EXPECT_EQ(S_FALSE, canUnloadNow());
    factory->LockServer(FALSE);
    EXPECT_EQ(S_OK, canUnloadNow());

    IDeskBand* band = nullptr;
    ASSERT_EQ(S_OK,
              factory->CreateInstance(nullptr, IID_IDeskBand, reinterpret_cast<void**>(&band)));
    EXPECT_EQ(S_FALSE, canUnloadNow());
    band->Release();
    EXPECT_EQ(S_OK, canUnloadNow());

    // Aggregated: only IUnknown may be asked for, and the parts delegate.
    Outer outer;
    void* refused = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IDeskBand, &refused));
    ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown,
                                            reinterpret_cast<void**>(&outer.inner)));
    IPersist* persist = nullptr;
    ASSERT_EQ(S_OK, outer.inner->QueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist)));
    EXPECT_EQ(2u, outer.refs);
    IUnknown* identity = nullptr;
    persist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity);
    identity->Release();
    persist->Release();
    EXPECT_EQ(1u, outer.refs);
    EXPECT_EQ(S_FALSE, canUnloadNow());
    outer.inner->Release();
    EXPECT_EQ(S_OK, canUnloadNow());

    factory->Release();
    CoUninitialize();
    FreeLibrary(dll);
}

}  // namespace
