#pragma once

#include <memory>

#include "FormFactory.h"
#include "UUserInfoMagFrm.h"

// The user window as the host makes it, shown, and destroyed as the host
// destroys it.
using UserWindow = std::unique_ptr<TUserInfoMagForm, void (*)(QWidget *)>;

inline UserWindow openUserWindow()
{
    UserWindow w(CreateForm<TUserInfoMagForm>(), DestroyForm);
    w->show();
    return w;
}
