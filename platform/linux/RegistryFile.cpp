// The settings store on Linux: the registry calls over one text file in the
// format of a .reg export.
//
// Every call reads the file again, so an edit an operator makes while the
// program runs is seen by the next call. The file is read by RegParser into
// the document of RegDocument (the key tree), changed there, and written back
// by RegWriter, so everything a write does not touch, comments included, goes
// back to the file as it was. This file holds the file's reading and writing
// on disk, the key handles and the registry calls.
//
// The calls are the narrow-character ones: REG_SZ, REG_EXPAND_SZ and
// REG_MULTI_SZ data is handed out as UTF-8. In a "Windows Registry Editor
// Version 5.00" file, the hex(1), hex(2) and hex(7) forms of those types hold
// UTF-16LE text, as regedit writes them; in a REGEDIT4 file they hold the
// narrow text itself.
#include "platform/Registry.h"

#include "platform/ConfigPaths.h"
#include "platform/DebugOutput.h"
#include "platform/FileText.h"
#include "platform/Files.h"
#include "platform/linux/RegDocument.h"
#include "platform/linux/RegParser.h"
#include "platform/linux/RegText.h"
#include "platform/linux/RegWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace plat {

using namespace regfile;

struct RegistryKey {
    std::string path;  // the full key path, beginning with the root's name
    REGSAM access = 0; // the access the key was opened with
};

namespace {

RegistryKey g_roots[4];

} // namespace

const HKEY HKEY_CLASSES_ROOT = &g_roots[0];
const HKEY HKEY_CURRENT_USER = &g_roots[1];
const HKEY HKEY_LOCAL_MACHINE = &g_roots[2];
const HKEY HKEY_USERS = &g_roots[3];

namespace {

constexpr std::string_view kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                           "HKEY_LOCAL_MACHINE", "HKEY_USERS"};
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM MAXIMUM_ALLOWED = 0x02000000;
constexpr REGSAM GENERIC_ALL = 0x10000000;
constexpr REGSAM GENERIC_EXECUTE = 0x20000000;
constexpr REGSAM GENERIC_WRITE = 0x40000000;
constexpr REGSAM GENERIC_READ = 0x80000000;

constexpr DWORD ERROR_BAD_PATHNAME = 161;

// ---------------------------------------------------------------------------
// The file

void Report(const std::string& text) {
    OutputDebugString("Registry: " + text + "\r\n");
}

DWORD ReadErrorCode(int error) {
    return (error == EACCES || error == EPERM) ? ERROR_ACCESS_DENIED : ERROR_CANTREAD;
}

DWORD WriteErrorCode(int error) {
    return (error == EACCES || error == EPERM) ? ERROR_ACCESS_DENIED : ERROR_CANTWRITE;
}

std::string FolderOf(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

// Reads the settings file into doc; a missing file is an empty store.
DWORD LoadDocument(const std::string& file, Document& doc) {
    std::string raw;
    if (const int error = ReadRegularFile(file, raw)) {
        if (error == ENOENT) {
            doc = NewDocument(TextEncoding::Utf8);
            return ERROR_SUCCESS;
        }
        Report("settings file \"" + file + "\" cannot be read: " +
               (error == EINVAL ? std::string("not a regular file") : ErrnoText(error)));
        return ReadErrorCode(error);
    }
    if (auto failure = ParseDocument(raw, doc)) {
        Report("settings file \"" + file + "\" line " + std::to_string(failure->line) + ": " +
               failure->what + "; the file is left unchanged");
        return ERROR_BADDB;
    }
    return ERROR_SUCCESS;
}

// Creates the folder and its parents; 0 or the errno of the failure.
int MakeFolders(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    const std::size_t slash = folder.rfind('/');
    if (slash != std::string::npos && slash > 0)
        if (int error = MakeFolders(folder.substr(0, slash)))
            return error;
    if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
        return errno;
    return 0;
}

// Replaces the file with doc at once (see ReplaceFileContents): a reader
// sees the old file or the new one and never a part.
DWORD SaveDocument(const std::string& file, const Document& doc) {
    const std::string folder = FolderOf(file);
    if (int error = MakeFolders(folder)) {
        Report("settings folder \"" + folder + "\" cannot be created: " + ErrnoText(error));
        return WriteErrorCode(error);
    }
    if (const int error = ReplaceFileContents(file, Serialize(doc))) {
        Report("settings file \"" + file + "\" cannot be written: " + ErrnoText(error));
        return WriteErrorCode(error);
    }
    return ERROR_SUCCESS;
}

// A key opened for writing must be able to write the file: the file itself
// and its folder (the rename replaces the file in the folder).
DWORD CheckWritable(const std::string& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return ERROR_SUCCESS; // no file yet: the first write reports what fails
    const std::string folder = FolderOf(file);
    for (const auto& [path, mode] : {std::pair{file, W_OK}, std::pair{folder, W_OK | X_OK}}) {
        if (::access(path.c_str(), mode) != 0) {
            const int error = errno;
            Report("settings file \"" + file + "\" cannot be written: " + ErrnoText(error) +
                   (path == folder ? " (folder \"" + folder + "\")" : ""));
            return WriteErrorCode(error);
        }
    }
    return ERROR_SUCCESS;
}

// ---------------------------------------------------------------------------
// Handles

struct Store {
    std::mutex mutex;
    std::string file; // empty: SettingsFilePath()
    std::unordered_map<const RegistryKey*, std::unique_ptr<RegistryKey>> handles;
};

Store& TheStore() {
    static Store store;
    return store;
}

std::string FileOf(const Store& store) {
    return store.file.empty() ? SettingsFilePath() : store.file;
}

int RootIndex(HKEY key) {
    for (int i = 0; i < 4; ++i)
        if (key == &g_roots[i])
            return i;
    return -1;
}

// The path and access of an open key or a root; nullopt for an invalid handle.
std::optional<RegistryKey> Lookup(const Store& store, HKEY key) {
    if (const int root = RootIndex(key); root >= 0)
        return RegistryKey{std::string(kRootNames[root]), KEY_ALL_ACCESS};
    auto it = store.handles.find(key);
    if (it == store.handles.end())
        return std::nullopt;
    return *it->second;
}

REGSAM MapGenericAccess(REGSAM access) {
    if (access & (GENERIC_ALL | MAXIMUM_ALLOWED))
        access |= KEY_ALL_ACCESS;
    if (access & (GENERIC_READ | GENERIC_EXECUTE))
        access |= KEY_READ;
    if (access & GENERIC_WRITE)
        access |= KEY_WRITE;
    return access;
}

// The path of subKey below parent. Key names are separated by single
// backslashes; one trailing backslash is ignored.
DWORD JoinKeyPath(const std::string& parent, const char* subKey, std::string& path) {
    path = parent;
    std::string_view rest = subKey == nullptr ? std::string_view() : std::string_view(subKey);
    if (!rest.empty() && rest.back() == '\\')
        rest.remove_suffix(1);
    if (rest.empty())
        return subKey != nullptr && *subKey == '\\' ? ERROR_BAD_PATHNAME : ERROR_SUCCESS;
    while (true) {
        const std::size_t end = rest.find('\\');
        const std::string_view name = rest.substr(0, end);
        if (name.empty())
            return ERROR_BAD_PATHNAME;
        for (char c : name)
            if (static_cast<unsigned char>(c) < 0x20)
                return ERROR_BAD_PATHNAME; // would not fit on a [key] line
        path += '\\';
        path += name;
        if (end == std::string_view::npos)
            return ERROR_SUCCESS;
        rest.remove_prefix(end + 1);
    }
}

} // namespace

LONG RegCreateKeyEx(HKEY hKey, const char* subKey, DWORD /*reserved*/, const char* /*className*/,
                    DWORD /*options*/, REGSAM samDesired, const void* /*securityAttributes*/,
                    HKEY* result, DWORD* disposition) {
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    const auto parent = Lookup(store, hKey);
    if (!parent)
        return ERROR_INVALID_HANDLE;
    std::string path;
    if (const DWORD code = JoinKeyPath(parent->path, subKey, path))
        return static_cast<LONG>(code);

    const std::string file = FileOf(store);
    Document doc;
    if (const DWORD code = LoadDocument(file, doc))
        return static_cast<LONG>(code);
    const REGSAM access = MapGenericAccess(samDesired);
    DWORD created = REG_OPENED_EXISTING_KEY;
    if (KeyExists(doc, path)) {
        if (access & KEY_SET_VALUE)
            if (const DWORD code = CheckWritable(file))
                return static_cast<LONG>(code);
    } else {
        if (!(parent->access & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        AppendSection(doc, path);
        if (const DWORD code = SaveDocument(file, doc))
            return static_cast<LONG>(code);
        created = REG_CREATED_NEW_KEY;
    }
    auto key = std::make_unique<RegistryKey>(RegistryKey{std::move(path), access});
    const HKEY handle = key.get();
    store.handles.emplace(handle, std::move(key));
    *result = handle;
    if (disposition != nullptr)
        *disposition = created;
    return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY hKey, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* cbData) {
    if (reserved != nullptr || (data != nullptr && cbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    const auto key = Lookup(store, hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (!(key->access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    Document doc;
    if (const DWORD code = LoadDocument(FileOf(store), doc))
        return static_cast<LONG>(code);
    const Entry* value = FindValue(doc, key->path, valueName == nullptr ? "" : valueName);
    if (value == nullptr)
        return ERROR_FILE_NOT_FOUND;
    const auto size = static_cast<DWORD>(value->data.size());
    if (type != nullptr)
        *type = value->type;
    if (data != nullptr) {
        if (cbData == nullptr)
            return ERROR_INVALID_PARAMETER;
        if (*cbData < size) {
            *cbData = size;
            return ERROR_MORE_DATA;
        }
        if (size > 0)
            std::memcpy(data, value->data.data(), size);
    }
    if (cbData != nullptr)
        *cbData = size;
    return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY hKey, const char* valueName, DWORD /*reserved*/, DWORD type,
                   const BYTE* data, DWORD cbData) {
    if (data == nullptr && cbData != 0)
        return ERROR_INVALID_PARAMETER;
    const std::string name = valueName == nullptr ? "" : valueName;
    if (name.find_first_of("\r\n") != std::string::npos)
        return ERROR_INVALID_PARAMETER; // would not fit on one line
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    const auto key = Lookup(store, hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (!(key->access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    const std::string file = FileOf(store);
    Document doc;
    if (const DWORD code = LoadDocument(file, doc))
        return static_cast<LONG>(code);
    SetValue(doc, key->path, name, type,
             data == nullptr ? std::vector<BYTE>() : std::vector<BYTE>(data, data + cbData));
    return static_cast<LONG>(SaveDocument(file, doc));
}

LONG RegCloseKey(HKEY hKey) {
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    if (RootIndex(hKey) >= 0)
        return ERROR_SUCCESS;
    return store.handles.erase(hKey) != 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

std::optional<RegistryFileProblem> FindRegistryFileProblem() {
    const std::string file = RegistryFile();
    std::string raw;
    if (ReadRegularFile(file, raw) != 0)
        return std::nullopt;
    Document doc;
    if (auto failure = ParseDocument(raw, doc))
        return RegistryFileProblem{file, failure->line, failure->what};
    return std::nullopt;
}

void SetRegistryFile(const std::string& path) {
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    store.file = path;
}

std::string RegistryFile() {
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    return FileOf(store);
}

} // namespace plat
