#include "server/ServerRegistration.h"

#include <shlwapi.h>
#include <string>
#include <vector>

#include "RssLib.h"
#include "common/Bstr.h"
#include "common/ComRef.h"
#include "common/RegKeyHandle.h"
#include "server/Module.h"

namespace {

// What unregistration does with a key.
enum class Mark {
    Remove,   // its listed values and then the key itself (when nothing else is left)
    Replace,  // deleted with its subtree before writing and on unregistration
    Keep,     // shared with others: never deleted
};

struct NamedValue {
    const wchar_t* name;
    const wchar_t* text;  // null: a DWORD value
    DWORD number;
};

struct KeyEntry {
    HKEY root;
    const wchar_t* path;
    const wchar_t* defaultValue;  // null: the key has no default value
    Mark mark;
    std::vector<NamedValue> values;
};

#define RSS_CLSID L"{8755CE6E-0BF7-4441-8751-FB728941B0B4}"
#define RSS_CLSID_KEY L"CLSID\\" RSS_CLSID
#define RSS_TITLE L"我的订阅"
#define IE_KEY L"Software\\Microsoft\\Internet Explorer"
#define MENU_KEY IE_KEY L"\\MenuExt\\添加到“我的订阅”"
#define EXTENSION_KEY IE_KEY L"\\Extensions\\" RSS_CLSID

// %MODULE% and %MODULEPATH% are filled in when the entries are written.
const std::vector<KeyEntry>& Entries() {
    static const std::vector<KeyEntry> entries = {
        {HKEY_CLASSES_ROOT, L"Varnel.Rss.1", RSS_TITLE, Mark::Remove, {}},
        {HKEY_CLASSES_ROOT, L"Varnel.Rss.1\\CLSID", RSS_CLSID, Mark::Remove, {}},
        {HKEY_CLASSES_ROOT, L"Varnel.Rss", RSS_TITLE, Mark::Remove, {}},
        {HKEY_CLASSES_ROOT, L"Varnel.Rss\\CLSID", RSS_CLSID, Mark::Remove, {}},
        {HKEY_CLASSES_ROOT, L"Varnel.Rss\\CurVer", L"Varnel.Rss.1", Mark::Remove, {}},
        {HKEY_CLASSES_ROOT, L"CLSID", nullptr, Mark::Keep, {}},
        {HKEY_CLASSES_ROOT, RSS_CLSID_KEY, RSS_TITLE, Mark::Replace, {}},
        {HKEY_CLASSES_ROOT, RSS_CLSID_KEY L"\\ProgID", L"Varnel.Rss.1", Mark::Remove, {}},
        {HKEY_CLASSES_ROOT,
         RSS_CLSID_KEY L"\\VersionIndependentProgID",
         L"Varnel.Rss",
         Mark::Remove,
         {}},
        {HKEY_CLASSES_ROOT, RSS_CLSID_KEY L"\\Programmable", nullptr, Mark::Replace, {}},
        {HKEY_CLASSES_ROOT,
         RSS_CLSID_KEY L"\\InprocServer32",
         L"%MODULE%",
         Mark::Remove,
         {{L"ThreadingModel", L"Apartment", 0}}},
        {HKEY_CLASSES_ROOT,
         RSS_CLSID_KEY L"\\TypeLib",
         L"{D445895C-B621-4D33-9898-4078CD171186}",
         Mark::Remove,
         {}},
        {HKEY_CLASSES_ROOT,
         RSS_CLSID_KEY L"\\Implemented Categories\\{00021493-0000-0000-C000-000000000046}",
         nullptr,
         Mark::Remove,
         {}},

        {HKEY_CURRENT_USER, L"Software", nullptr, Mark::Keep, {}},
        {HKEY_CURRENT_USER, L"Software\\Microsoft", nullptr, Mark::Keep, {}},
        {HKEY_CURRENT_USER, IE_KEY, nullptr, Mark::Keep, {}},
        {HKEY_CURRENT_USER, IE_KEY L"\\MenuExt", nullptr, Mark::Keep, {}},
        {HKEY_CURRENT_USER,
         MENU_KEY,
         L"%MODULEPATH%rss.htm",
         Mark::Replace,
         {{L"Contexts", nullptr, 0x22}}},

        {HKEY_LOCAL_MACHINE, L"Software", nullptr, Mark::Keep, {}},
        {HKEY_LOCAL_MACHINE, L"Software\\Microsoft", nullptr, Mark::Keep, {}},
        {HKEY_LOCAL_MACHINE, IE_KEY, nullptr, Mark::Keep, {}},
        {HKEY_LOCAL_MACHINE, IE_KEY L"\\Extensions", nullptr, Mark::Keep, {}},
        {HKEY_LOCAL_MACHINE,
         EXTENSION_KEY,
         L"",
         Mark::Replace,
         {{L"BandCLSID", RSS_CLSID, 0},
          {L"ButtonText", RSS_TITLE, 0},
          {L"clsid", L"{E0DD6CAB-2D10-11D2-8F1A-0000F87ABD16}", 0},
          {L"Default Visible", L"Yes", 0},
          {L"HotIcon", L"%MODULE%,101", 0},
          {L"Icon", L"%MODULE%,101", 0},
          {L"ToolTip", RSS_TITLE, 0}}},
    };
    return entries;
}

HRESULT FromWin32(LONG error) {
    return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(error);
}

std::wstring ModulePath() {
    wchar_t path[MAX_PATH] = L"";
    DWORD length = GetModuleFileNameW(Module::Instance(), path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

// The module's folder in long-path form with a trailing backslash.
std::wstring ModuleFolder(const std::wstring& module) {
    wchar_t folder[MAX_PATH];
    lstrcpynW(folder, module.c_str(), MAX_PATH);
    PathRemoveFileSpecW(folder);
    wchar_t longFolder[MAX_PATH];
    DWORD length = GetLongPathNameW(folder, longFolder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) lstrcpyW(folder, longFolder);
    PathAddBackslashW(folder);
    return folder;
}

class Expander {
public:
    Expander() : module_(ModulePath()), folder_(ModuleFolder(module_)) {}
    bool Ready() const { return !module_.empty(); }

    std::wstring operator()(const wchar_t* text) const {
        std::wstring result = text;
        Replace(result, L"%MODULEPATH%", folder_);
        Replace(result, L"%MODULE%", module_);
        return result;
    }

private:
    static void Replace(std::wstring& text, const std::wstring& token, const std::wstring& with) {
        for (size_t at = text.find(token); at != std::wstring::npos;
             at = text.find(token, at + with.size())) {
            text.replace(at, token.size(), with);
        }
    }

    std::wstring module_;
    std::wstring folder_;
};

LONG SetString(HKEY key, const wchar_t* name, const std::wstring& text) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

HRESULT WriteEntry(const KeyEntry& entry, const Expander& expand) {
    if (entry.mark == Mark::Replace) {
        LONG deleted = SHDeleteKeyW(entry.root, entry.path);
        if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) return FromWin32(deleted);
    }
    RegKeyHandle key;
    LONG error = RegCreateKeyExW(entry.root, entry.path, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                 nullptr, key.Receive(), nullptr);
    if (error != ERROR_SUCCESS) return FromWin32(error);
    if (entry.defaultValue) error = SetString(key.Get(), nullptr, expand(entry.defaultValue));
    for (const NamedValue& value : entry.values) {
        if (error != ERROR_SUCCESS) break;
        if (value.text) {
            error = SetString(key.Get(), value.name, expand(value.text));
        } else {
            error = RegSetValueExW(key.Get(), value.name, 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&value.number), sizeof(DWORD));
        }
    }
    return FromWin32(error);
}

// A key or value that is already gone counts as removed.
HRESULT FromRemoval(LONG error) {
    return error == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(error);
}

HRESULT RemoveEntry(const KeyEntry& entry) {
    if (entry.mark == Mark::Keep) return S_OK;
    if (entry.mark == Mark::Replace) return FromRemoval(SHDeleteKeyW(entry.root, entry.path));
    RegKeyHandle key;
    LONG error = RegOpenKeyExW(entry.root, entry.path, 0, KEY_READ | KEY_WRITE, key.Receive());
    if (error != ERROR_SUCCESS) return FromRemoval(error);
    for (const NamedValue& value : entry.values) {
        error = RegDeleteValueW(key.Get(), value.name);
        if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) break;
        error = ERROR_SUCCESS;
    }
    DWORD subkeys = 0;
    DWORD values = 0;
    if (error == ERROR_SUCCESS) {
        error = RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                 &values, nullptr, nullptr, nullptr, nullptr);
    }
    key.Reset();
    if (error != ERROR_SUCCESS) return FromWin32(error);
    // Someone else's subkeys or values below ours stay, and so does the key.
    bool onlyDefault = values == 0 || (values == 1 && entry.defaultValue);
    if (subkeys > 0 || !onlyDefault) return S_OK;
    return FromRemoval(RegDeleteKeyW(entry.root, entry.path));
}

HRESULT LoadOwnTypeLib(ComRef<ITypeLib>& library, std::wstring* path) {
    *path = ModulePath();
    if (path->empty()) return HRESULT_FROM_WIN32(GetLastError());
    return LoadTypeLibEx(path->c_str(), REGKIND_NONE, library.Receive());
}

HRESULT RegisterOwnTypeLib() {
    ComRef<ITypeLib> library;
    std::wstring path;
    HRESULT hr = LoadOwnTypeLib(library, &path);
    if (FAILED(hr)) return hr;
    return RegisterTypeLib(library.Get(), const_cast<wchar_t*>(path.c_str()), nullptr);
}

HRESULT UnregisterOwnTypeLib() {
    ComRef<ITypeLib> library;
    std::wstring path;
    HRESULT hr = LoadOwnTypeLib(library, &path);
    if (FAILED(hr)) return hr;
    TLIBATTR* attributes = nullptr;
    hr = library->GetLibAttr(&attributes);
    if (SUCCEEDED(hr)) {
        // A library that is not registered (any more) is already where we want it.
        Bstr registered;
        if (SUCCEEDED(QueryPathOfRegTypeLib(attributes->guid, attributes->wMajorVerNum,
                                            attributes->wMinorVerNum, attributes->lcid,
                                            registered.Receive()))) {
            hr = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum,
                                   attributes->wMinorVerNum, attributes->lcid, attributes->syskind);
        }
        library->ReleaseTLibAttr(attributes);
    }
    return hr;
}

}  // namespace

namespace ServerRegistration {

HRESULT Register() {
    Expander expand;
    if (!expand.Ready()) return E_FAIL;
    for (const KeyEntry& entry : Entries()) {
        HRESULT hr = WriteEntry(entry, expand);
        if (FAILED(hr)) return hr;
    }
    return RegisterOwnTypeLib();
}

HRESULT Unregister() {
    const std::vector<KeyEntry>& entries = Entries();
    // Children before parents.
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        HRESULT hr = RemoveEntry(*entry);
        if (FAILED(hr)) return hr;
    }
    return UnregisterOwnTypeLib();
}

}  // namespace ServerRegistration
