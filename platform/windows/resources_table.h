// Internal to the Windows platform layer: the resources added at run time or
// by generated tables, which the system's own lookups (FindResourceW,
// LoadImageW) do not know about.
#pragma once

#include "platform/win.h"

namespace plat::win {

// A resource added by RegisterResource or AddEmbeddedResources.
bool FindAddedResource(const char* type, const char* name, const BYTE** data, DWORD* size);

}  // namespace plat::win
