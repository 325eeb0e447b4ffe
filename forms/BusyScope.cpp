#include "BusyScope.h"

#include "UBaseFrm.h"

BusyScope::BusyScope(TBaseForm *form) : m_form(form)
{
    if (m_form)
        m_form->enterBusy();
}

BusyScope::~BusyScope()
{
    if (m_form)
        m_form->leaveBusy();
}
