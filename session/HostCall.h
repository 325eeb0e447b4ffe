#pragma once

#include <QObject>
#include <QVariant>
#include <QVariantList>

// Late-bound calls on the host's automation objects (HostDispatch, CodePicker):
// a method or property is found by its name at run time, as the host's objects
// are not known to the module at build time. A member that does not exist, or a
// call that fails, raises data::LumoError naming the member.
QVariant hostCall(QObject *object, const char *method, const QVariantList &args = {});
void hostSetProperty(QObject *object, const char *name, const QVariant &value);
