// The process-wide objects of setup.exe, all in this one file so that they are created in
// this order (and destroyed in the reverse order at the normal exit): the instance list first,
// so that the setup is listed before anything else runs.
#include "app/setup_app.h"
#include "app/setup_options.h"
#include "app/system_entry_points.h"
#include "instances/instance_list.h"
#include "product/product_names.h"

#include <string>

COXInstanceManager g_instanceManager(product::kInstanceListName, product::kInstanceAdditionalDataSize, true);
CSetupApp theApp;
SetupOptions g_options;
[[maybe_unused]] static const bool s_osVersionRead = ReadOsVersion(g_options.osVersion);
SystemEntryPoints g_entryPoints = LookUpEntryPoints();
std::wstring g_savedNextText;
std::wstring g_savedCancelText;
