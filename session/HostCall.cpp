#include "HostCall.h"

#include <QMetaMethod>
#include <QMetaObject>

#include <array>

#include "LumoError.h"

namespace {

[[noreturn]] void fail(QObject *object, const char *member, const QString &why)
{
    const QString owner = object ? QString::fromLatin1(object->metaObject()->className())
                                 : QStringLiteral("(none)");
    throw data::LumoError(QStringLiteral("%1.%2: %3").arg(owner, QString::fromLatin1(member), why));
}

} // namespace

QVariant hostCall(QObject *object, const char *method, const QVariantList &args)
{
    if (!object)
        fail(object, method, QStringLiteral("the host object is not available"));
    if (args.size() > 10)
        fail(object, method, QStringLiteral("too many arguments"));

    const QMetaObject *meta = object->metaObject();
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod m = meta->method(i);
        if (m.name() != method || m.parameterCount() != args.size())
            continue;

        // Arguments converted to the parameter types; QVariant parameters take
        // the value as it is.
        std::array<QVariant, 10> values;
        std::array<QGenericArgument, 10> generic;
        for (int j = 0; j < args.size(); ++j) {
            const QMetaType type = m.parameterMetaType(j);
            if (type.id() == QMetaType::QVariant) {
                values[j] = QVariant::fromValue(args[j]);
                generic[j] = QGenericArgument("QVariant", values[j].constData());
                continue;
            }
            values[j] = args[j];
            if (values[j].metaType() != type && !values[j].convert(type))
                fail(object, method, QStringLiteral("argument %1 cannot be converted").arg(j + 1));
            generic[j] = QGenericArgument(type.name(), values[j].constData());
        }

        const QMetaType returnType = m.returnMetaType();
        QVariant result;
        QGenericReturnArgument ret;
        if (returnType.id() == QMetaType::QVariant) {
            ret = QGenericReturnArgument("QVariant", &result);
        } else if (returnType.isValid() && returnType.id() != QMetaType::Void) {
            result = QVariant(returnType);
            ret = QGenericReturnArgument(returnType.name(), result.data());
        }
        const bool ok = m.invoke(object, Qt::DirectConnection, ret, generic[0], generic[1],
                                 generic[2], generic[3], generic[4], generic[5], generic[6],
                                 generic[7], generic[8], generic[9]);
        if (!ok)
            fail(object, method, QStringLiteral("the call failed"));
        return result;
    }
    fail(object, method, QStringLiteral("no such method with %1 argument(s)").arg(args.size()));
}

void hostSetProperty(QObject *object, const char *name, const QVariant &value)
{
    if (!object)
        fail(object, name, QStringLiteral("the host object is not available"));
    const QMetaObject *meta = object->metaObject();
    const int index = meta->indexOfProperty(name);
    if (index < 0)
        fail(object, name, QStringLiteral("no such property"));
    if (!meta->property(index).write(object, value))
        fail(object, name, QStringLiteral("the property cannot take the value"));
}
