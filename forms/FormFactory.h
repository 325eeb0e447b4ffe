#pragma once

#include <QApplication>
#include <QPointer>

#include <utility>

#include "UBaseFrm.h"

void runFormCreate(TBaseForm *form);

// Makes a window: constructs it, then runs its FormCreate with the whole object in
// place. A FormCreate that raises destroys the half-made window and passes the error on.
template <typename T, typename... Args>
T *CreateForm(Args &&...args)
{
    auto *form = new T(std::forward<Args>(args)...);
    try {
        runFormCreate(form);
    } catch (...) {
        delete form;
        throw;
    }
    return form;
}

// Ends a window: FormDestroy runs while the object is whole, then it is deleted.
void DestroyForm(QWidget *form);

// Windows made for the host and not yet destroyed.
void registerOwnedForm(QWidget *form);
bool isOwnedFormAlive(QWidget *form);

// A window owned by the application object: destroyed when the application
// quits, if the host has not asked for it to be freed before.
template <typename T>
T *createOwnedByApplication()
{
    T *form = CreateForm<T>();
    registerOwnedForm(form);
    QPointer<QWidget> guard(form);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, form, [guard] {
        if (guard)
            DestroyForm(guard.data());
    });
    return form;
}
