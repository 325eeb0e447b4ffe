#pragma once

#include <QByteArray>
#include <QLibrary>
#include <QString>
#include <QStringList>

#include <cstdint>

#include "HostPaths.h"

class HostSession;
class QWidget;

// Loads the module library and calls its four exports. A non-zero status from an
// export raises data::LumoError naming the export and the status code.
class ModuleLoader
{
public:
    // Where the module is looked for, first match wins (HostPaths::moduleCandidates).
    static QStringList candidatePaths(const QString &explicitPath);

    ModuleLoader() = default;
    ~ModuleLoader();
    ModuleLoader(const ModuleLoader &) = delete;
    ModuleLoader &operator=(const ModuleLoader &) = delete;

    void load(const QString &explicitPath = QString(), const HostPaths &paths = HostPaths::current());
    bool isLoaded() const { return m_library.isLoaded(); }
    QString fileName() const { return m_library.fileName(); }

    // The registration text as the module stores it (GBK bytes, no zero).
    QByteArray moduleInfo();
    QWidget *createModule(HostSession *session);
    void freeModule(QWidget **window);
    void refreshModule();

    // The status text used in messages: "CreateModule 返回 0x8000FFFF".
    static QString statusText(const char *exportName, std::int32_t status);

private:
    using CreateFn = std::int32_t (*)(void **, std::int32_t, std::int32_t, std::int32_t,
                                      std::int32_t, std::int32_t, HostSession *, std::int32_t *);
    using FreeFn = std::int32_t (*)(void **);
    using RefreshFn = std::int32_t (*)(std::int32_t, std::int32_t);
    using InfoFn = std::int32_t (*)(std::int32_t, char **);

    void check(const char *exportName, std::int32_t status) const;

    QLibrary m_library;
    CreateFn m_create = nullptr;
    FreeFn m_free = nullptr;
    RefreshFn m_refresh = nullptr;
    InfoFn m_info = nullptr;
};
