#include "ModuleLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "HostPaths.h"
#include "LumoError.h"

namespace {

const char kModuleFile[] = "libLumoUserMag.so";

} // namespace

ModuleLoader::~ModuleLoader()
{
    // The library stays mapped until the process ends: windows and objects the
    // module made may still be destroyed by Qt after the loader is gone.
}

QStringList ModuleLoader::candidatePaths(const QString &explicitPath)
{
    return HostPaths::current().moduleCandidates(explicitPath);
}

void ModuleLoader::load(const QString &explicitPath, const HostPaths &paths)
{
    if (!explicitPath.isEmpty() && !QFileInfo(explicitPath).isFile())
        throw data::LumoError(QStringLiteral("指定的模块文件不存在: %1").arg(QDir::toNativeSeparators(explicitPath)));
    QStringList tried;
    for (const QString &path : paths.moduleCandidates(explicitPath)) {
        if (!QFileInfo::exists(path)) {
            tried << path;
            continue;
        }
        m_library.setFileName(path);
        if (!m_library.load())
            throw data::LumoError(QStringLiteral("无法加载模块 %1: %2").arg(path, m_library.errorString()));
        m_create = reinterpret_cast<CreateFn>(m_library.resolve("CreateModule"));
        m_free = reinterpret_cast<FreeFn>(m_library.resolve("FreeModule"));
        m_refresh = reinterpret_cast<RefreshFn>(m_library.resolve("RefreshModule"));
        m_info = reinterpret_cast<InfoFn>(m_library.resolve("GetModuleInfo"));
        if (!m_create || !m_free || !m_refresh || !m_info)
            throw data::LumoError(QStringLiteral("模块 %1 缺少导出函数").arg(path));
        return;
    }
    throw data::LumoError(QStringLiteral("找不到模块文件 %1 (查找过: %2)")
                              .arg(QString::fromLatin1(kModuleFile), tried.join(QStringLiteral(", "))));
}

QString ModuleLoader::statusText(const char *exportName, std::int32_t status)
{
    const QString code = QString::number(static_cast<std::uint32_t>(status), 16).toUpper();
    return QStringLiteral("%1 返回错误代码 0x%2")
        .arg(QString::fromLatin1(exportName), code.rightJustified(8, QLatin1Char('0')));
}

void ModuleLoader::check(const char *exportName, std::int32_t status) const
{
    if (status != 0)
        throw data::LumoError(statusText(exportName, status));
}

QByteArray ModuleLoader::moduleInfo()
{
    // The module copies 63 bytes; a larger buffer leaves room for a longer text
    // of a later version without overrunning.
    QByteArray buffer(256, '\0');
    char *data = buffer.data();
    check("GetModuleInfo", m_info(0, &data));
    return QByteArray(buffer.constData(), static_cast<int>(qstrnlen(buffer.constData(), buffer.size())));
}

QWidget *ModuleLoader::createModule(HostSession *session)
{
    void *window = nullptr;
    std::int32_t result = -1;
    check("CreateModule", m_create(&window, 0, 0, 0, 0, 0, session, &result));
    check("CreateModule", result);
    return static_cast<QWidget *>(window);
}

void ModuleLoader::freeModule(QWidget **window)
{
    void *handle = *window;
    check("FreeModule", m_free(&handle));
    *window = nullptr;
}

void ModuleLoader::refreshModule()
{
    check("RefreshModule", m_refresh(0, 0));
}
