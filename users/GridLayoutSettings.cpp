#include "GridLayoutSettings.h"

#include "HostCall.h"
#include "LumoError.h"
#include "TcxGridDBTableView.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"

GridLayoutSettings::GridLayoutSettings(TcxGridDBTableView *view, QString key) : m_view(view), m_key(std::move(key)) {}

bool GridLayoutSettings::restore()
{
    try {
        const QString layout = hostCall(UGlobalValue::Session().HostDispatch, "ReadSetting", {m_key}).toString();
        if (layout.isEmpty())
            return false;
        m_view->RestoreLayout(layout);
        return true;
    } catch (const data::LumoError &) {
        return false;  // a host without settings
    }
}

void GridLayoutSettings::save() const
{
    try {
        hostCall(UGlobalValue::Session().HostDispatch, "WriteSetting", {m_key, m_view->SaveLayout()});
    } catch (const data::LumoError &) {
        // A host without settings keeps nothing.
    }
}
