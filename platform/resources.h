// Resources of the program's own module: one table for bitmaps (LoadImageA
// without LR_LOADFROMFILE), waves and any other type.
//
// Shaped after FindResourceA, LoadResource, LockResource and SizeofResource.
// Types and names are strings, or small integers made with MakeIntResource;
// a string "#123" stands for the number 123, as in Win32. Strings are
// compared without regard to ASCII letter case (Shift-JIS double-byte
// characters are compared as they are).
//
// The portable build embeds resources in the executable from a resource
// list (cmake/resources.cmake, el_add_resources); the Windows build compiles
// the same list into a real .rc script. Bitmap resources hold a packed DIB
// (the BMP file without its 14-byte file header), as Windows stores them.
//
// Include this header before <windows.h> (constants share names with macros).
#pragma once

#include <cstddef>
#include <vector>

#include "platform/win.h"

namespace plat {

// Predefined resource type 2: a bitmap (a BMP file without its file header).
inline const char* const RT_BITMAP = MakeIntResource(2);
// Predefined resource type 10: raw bytes.
inline const char* const RT_RCDATA = MakeIntResource(10);

// FindResourceA + LoadResource + LockResource + SizeofResource in one call.
// The bytes stay valid while the program runs (until the resource is
// registered again or the registered resources are cleared).
bool FindModuleResource(const char* type, const char* name, const BYTE** data, DWORD* size);
// Adds a resource to the module's table, in front of the embedded ones
// (tests add their own this way).
void RegisterResource(const char* type, const char* name, std::vector<BYTE> bytes);
// Forgets every registered resource; the embedded ones stay.
void ClearRegisteredResources();

// One resource embedded in the executable. Type and name are as the
// resource list wrote them ("#2" for BITMAP, "#10" for RCDATA, "#123" for
// numbered names); the data are static.
struct EmbeddedResource {
    const char* type;           // type as the list wrote it ("#2", "#10" or a name such as WAVE)
    const char* name;           // name as the list wrote it (Shift-JIS), or "#" and digits
    const unsigned char* data;  // the resource's bytes
    std::size_t size;           // number of bytes at data
};
// Called by the source that el_add_resources generates, before main, with
// the executable's whole list.
void AddEmbeddedResources(const EmbeddedResource* resources, std::size_t count);

}  // namespace plat
