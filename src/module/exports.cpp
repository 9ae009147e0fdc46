// The DLL's entry point and exported functions; the work is done by the module object.
#include "common/module_instance.h"
#include "com/com_object.h"
#include "module/registration.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    ferrow::SetModuleInstance(instance);
    ::DisableThreadLibraryCalls(instance);
    return ferrow::Module().InitFailed() ? FALSE : TRUE;
}

STDAPI DllCanUnloadNow() { return ferrow::Module().CanUnloadNow(); }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    return ferrow::Module().GetClassObject(clsid, riid, ppv);
}

STDAPI DllRegisterServer() { return ferrow::RegisterServer(); }

STDAPI DllUnregisterServer() { return ferrow::UnregisterServer(); }
