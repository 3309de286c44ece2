// The process-wide objects that the library expects, for test programs. The instance list
// object here uses a name of its own and does not register: a test program must not show up
// in the product's list.
#include "app/setup_options.h"
#include "app/system_entry_points.h"
#include "instances/instance_list.h"

#include <string>

COXInstanceManager g_instanceManager(L"GlintoraTests.ProcessList", 1024, false);
SetupOptions g_options;
[[maybe_unused]] static const bool s_osVersionRead = ReadOsVersion(g_options.osVersion);
SystemEntryPoints g_entryPoints = LookUpEntryPoints();
std::wstring g_savedNextText;
std::wstring g_savedCancelText;
