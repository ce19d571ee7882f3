#include "wingui/accessibility.h"

#include <initguid.h>
#include <oleacc.h>

namespace quorvex::win {

namespace {

// The annotation service, made once per thread that asks (the GUI thread);
// COM lives as long as that thread, and so does the service.
IAccPropServices *Services()
{
    thread_local IAccPropServices *services = [] {
        IAccPropServices *made = nullptr;
        if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                    reinterpret_cast<void **>(&made))))
            made = nullptr;
        return made;
    }();
    return services;
}

}  // namespace

bool SetAccessibleName(HWND control, const std::wstring &name, long role)
{
    IAccPropServices *services = Services();
    if (!services)
        return false;
    bool ok = SUCCEEDED(services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                                 PROPID_ACC_NAME, name.c_str()));
    if (role != 0) {
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_I4;
        value.lVal = role;
        ok = SUCCEEDED(services->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                             PROPID_ACC_ROLE, value)) &&
             ok;
    }
    return ok;
}

}  // namespace quorvex::win
