// The program's resources: resources added at run time (RegisterResource) and
// tables handed over by generated sources (AddEmbeddedResources) come first,
// then the module's own resources, compiled in from the resource list's .rc
// script and found by FindResourceW. Names and types go to the system in
// UTF-16.
#include <map>
#include <string>
#include <utility>

#include "platform/resources.h"
#include "platform/windows/common.h"
#include "platform/windows/resources_table.h"

namespace plat {
namespace {

// Names and types compare without regard to ASCII letter case, as the
// system's lookup does; numbers, and strings "#<digits>", are "#<number>".
std::string ResourceKey(const char* name) {
    auto id = reinterpret_cast<std::uintptr_t>(name);
    std::string key = "#";
    if (id < 0x10000) {
        key += std::to_string(id);
        return key;
    }
    key = name;
    if (key.size() > 1 && key[0] == '#' &&
        key.find_first_not_of("0123456789", 1) == std::string::npos) {
        std::string number = "#";
        number += std::to_string(std::stoul(key.substr(1)));
        return number;
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(key[i]);
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ++i;
        else if (c >= 'a' && c <= 'z') key[i] = static_cast<char>(c - 'a' + 'A');
    }
    return key;
}

using Table = std::map<std::pair<std::string, std::string>, std::vector<BYTE>>;

Table& Registered() {
    static Table table;
    return table;
}

struct Span {
    const BYTE* data;
    std::size_t size;
};
std::map<std::pair<std::string, std::string>, Span>& Embedded() {
    static std::map<std::pair<std::string, std::string>, Span> table;
    return table;
}

}  // namespace

namespace win {

bool FindAddedResource(const char* type, const char* name, const BYTE** data, DWORD* size) {
    auto key = std::make_pair(ResourceKey(type), ResourceKey(name));
    if (auto it = Registered().find(key); it != Registered().end()) {
        *data = it->second.data();
        *size = static_cast<DWORD>(it->second.size());
        return true;
    }
    if (auto it = Embedded().find(key); it != Embedded().end()) {
        *data = it->second.data;
        *size = static_cast<DWORD>(it->second.size);
        return true;
    }
    return false;
}

}  // namespace win

bool FindModuleResource(const char* type, const char* name, const BYTE** data, DWORD* size) {
    if (!type || !name) return false;
    const BYTE* bytes = nullptr;
    DWORD length = 0;
    if (!win::FindAddedResource(type, name, &bytes, &length)) {
        win::WideArg wideType(type);
        win::WideArg wideName(name);
        ::HRSRC found = ::FindResourceW(nullptr, wideName.get(), wideType.get());
        if (!found) return false;
        ::HGLOBAL loaded = ::LoadResource(nullptr, found);
        bytes = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
        if (!bytes) return false;
        length = static_cast<DWORD>(::SizeofResource(nullptr, found));
    }
    if (data) *data = bytes;
    if (size) *size = length;
    return true;
}

void RegisterResource(const char* type, const char* name, std::vector<BYTE> bytes) {
    if (!type || !name) return;
    Registered()[{ResourceKey(type), ResourceKey(name)}] = std::move(bytes);
}

void ClearRegisteredResources() { Registered().clear(); }

void AddEmbeddedResources(const EmbeddedResource* resources, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        Embedded()[{ResourceKey(resources[i].type), ResourceKey(resources[i].name)}] =
            Span{resources[i].data, resources[i].size};
}

}  // namespace plat
