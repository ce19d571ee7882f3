#include "wingui/accessibility.h"

#include <initguid.h>
#include <oleacc.h>

namespace quorvex::win {

bool SetAccessibleName(HWND control, const std::wstring &name, long role)
{
    IAccPropServices *services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                reinterpret_cast<void **>(&services))) ||
        !services)
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
    services->Release();
    return ok;
}

}  // namespace quorvex::win
