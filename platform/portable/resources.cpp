// The module's resource table: the resources embedded in the executable
// (from its resource list, registered before main) with the resources added
// at run time in front of them. Bitmaps, waves and every other type share it.
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "platform/portable/headless_display.h"
#include "platform/portable/gdi_objects.h"
#include "platform/resources.h"

namespace plat {
namespace {

using Key = std::pair<std::string, std::string>;  // type, name

struct Span {
    const BYTE* data;
    std::size_t size;
};

struct Table {
    std::map<Key, Span> embedded;                // static bytes of the executable
    std::map<Key, std::vector<BYTE>> registered;  // added at run time; looked up first
};

// Built on first use: the generated sources register their resources from
// static initialisers, in no particular order with this file's.
Table& Resources() {
    static Table table;
    return table;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "#<number>". (Appended rather than `"#" + std::to_string(n)`, which
// GCC 12 flags with a false -Wrestrict when optimising.)
std::string NumberKey(unsigned long number) {
    std::string key = "#";
    key += std::to_string(number);
    return key;
}

// The form a type or name is compared in: "#<decimal>" for numbers (given as
// small integers or written "#0123"), otherwise the string with ASCII letters
// in upper case. Trail bytes of Shift-JIS characters can look like ASCII
// letters and are left as they are.
std::string ResourceKey(const char* id) {
    auto value = reinterpret_cast<std::uintptr_t>(id);
    if (value < 0x10000) return NumberKey(static_cast<unsigned long>(value));
    std::string key = id;
    if (key.size() > 1 && key.size() <= 6 && key[0] == '#') {
        bool digits = true;
        unsigned long number = 0;
        for (std::size_t i = 1; i < key.size() && digits; ++i) {
            digits = IsDigit(key[i]);
            number = number * 10 + static_cast<unsigned long>(key[i] - '0');
        }
        if (digits && number < 0x10000) return NumberKey(number);
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        auto c = static_cast<unsigned char>(key[i]);
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
            ++i;  // skip the trail byte
        } else if (c >= 'a' && c <= 'z') {
            key[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
    return key;
}

}  // namespace

bool FindModuleResource(const char* type, const char* name, const BYTE** data, DWORD* size) {
    if (!type || !name) return false;
    Table& table = Resources();
    Key key{ResourceKey(type), ResourceKey(name)};
    Span found{nullptr, 0};
    if (auto it = table.registered.find(key); it != table.registered.end()) {
        found = {it->second.data(), it->second.size()};
    } else if (auto e = table.embedded.find(key); e != table.embedded.end()) {
        found = e->second;
    } else {
        return false;
    }
    if (data) *data = found.data;
    if (size) *size = static_cast<DWORD>(found.size);
    return true;
}

void RegisterResource(const char* type, const char* name, std::vector<BYTE> bytes) {
    if (!type || !name) return;
    Resources().registered[{ResourceKey(type), ResourceKey(name)}] = std::move(bytes);
}

void ClearRegisteredResources() { Resources().registered.clear(); }

void AddEmbeddedResources(const EmbeddedResource* resources, std::size_t count) {
    if (!resources) return;
    Table& table = Resources();
    for (std::size_t i = 0; i < count; ++i) {
        const EmbeddedResource& r = resources[i];
        if (!r.type || !r.name || !r.data) continue;
        table.embedded[{ResourceKey(r.type), ResourceKey(r.name)}] = {r.data, r.size};
    }
}

namespace portable {

void ResetBitmapResources() {
    auto& registered = Resources().registered;
    const std::string bitmap = ResourceKey(RT_BITMAP);
    for (auto it = registered.begin(); it != registered.end();)
        it = it->first.first == bitmap ? registered.erase(it) : std::next(it);
}

}  // namespace portable

namespace headless {

void AddBitmapResource(const std::string& name, std::vector<std::uint8_t> bmpFile) {
    // Stored as a resource compiler stores a BITMAP: without the file header.
    if (bmpFile.size() >= 14 && bmpFile[0] == 'B' && bmpFile[1] == 'M')
        bmpFile.erase(bmpFile.begin(), bmpFile.begin() + 14);
    RegisterResource(RT_BITMAP, name.c_str(), std::move(bmpFile));
}

}  // namespace headless
}  // namespace plat
