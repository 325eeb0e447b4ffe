#include "ModuleInfo.h"

// "MRegisterMZ,Logic(业务管理),CRegClinic(参合门诊报销登记),2(1)," in code page 936.
// Kept as bytes: the host compares the text in its own 8-bit encoding.
static const char kRegistration[] =
    "MRegisterMZ,Logic(\xd2\xb5\xce\xf1\xb9\xdc\xc0\xed),"
    "CRegClinic(\xb2\xce\xba\xcf\xc3\xc5\xd5\xef\xb1\xa8\xcf\xfa\xb5\xc7\xbc\xc7),"
    "2(1),";
static_assert(sizeof(kRegistration) == registrationTextSize(), "62 text bytes and the zero");

const char *registrationText()
{
    return kRegistration;
}
