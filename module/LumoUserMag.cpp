// The module's four exports. Nothing else of the library is visible to the host
// (hidden visibility and the version script LumoUserMag.map).
#include <QApplication>
#include <QWidget>

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "FormFactory.h"
#include "ModuleInfo.h"
#include "UGlobalValue.h"
#include "UUserInfoMagFrm.h"

#define LUMO_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The general HRESULT for an unexpected failure: the host treats any non-zero
// status as an error.
constexpr std::int32_t E_UNEXPECTED_FAILURE = static_cast<std::int32_t>(0x8000FFFFu);

template <typename Body>
std::int32_t guarded(Body body) noexcept
{
    try {
        body();
        return 0;
    } catch (...) {
        return E_UNEXPECTED_FAILURE;
    }
}

} // namespace

LUMO_EXPORT std::int32_t CreateModule(void **window, std::int32_t, std::int32_t, std::int32_t,
                                      std::int32_t, std::int32_t, HostSession *session,
                                      std::int32_t *result)
{
    return guarded([&] {
        UGlobalValue::HostSessionRef = session;
        QWidget *form = createOwnedByApplication<TUserInfoMagForm>();
        UGlobalValue::UserInfoMagForm = form;
        if (window)
            *window = form;
        if (result)
            *result = 0;
    });
}

LUMO_EXPORT std::int32_t FreeModule(void **window)
{
    return guarded([&] {
        if (!UGlobalValue::UserInfoMagForm || !window)
            return;
        // Only a window this module made and that still exists: a window already
        // destroyed with the application, or any other pointer, is left alone
        // rather than freed a second time.
        auto *form = static_cast<QWidget *>(*window);
        if (!isOwnedFormAlive(form))
            return;
        // A command still running in the window would go on in a freed one.
        if (auto *base = qobject_cast<TBaseForm *>(form); base && base->Busy())
            throw std::runtime_error("the module's window is busy");
        DestroyForm(form);
    });
}

LUMO_EXPORT std::int32_t RefreshModule(std::int32_t, std::int32_t)
{
    return 0;
}

LUMO_EXPORT std::int32_t GetModuleInfo(std::int32_t, char **buffer)
{
    return guarded([&] {
        if (buffer && *buffer)
            std::memcpy(*buffer, registrationText(), registrationTextSize());
    });
}
