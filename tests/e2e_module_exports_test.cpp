// The module as the host sees it: the library file, its symbol table and its
// four exports, loaded the way lumohost loads it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLibrary>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdint>
#include <cstring>
#include <memory>

#include "Gbk.h"
#include "RecordingSession.h"
#include "TestHostObjects.h"

namespace {

using CreateFn = std::int32_t (*)(void **, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                  std::int32_t, HostSession *, std::int32_t *);
using FreeFn = std::int32_t (*)(void **);
using RefreshFn = std::int32_t (*)(std::int32_t, std::int32_t);
using InfoFn = std::int32_t (*)(std::int32_t, char **);

constexpr std::int32_t kFailure = static_cast<std::int32_t>(0x8000FFFFu);

// A private copy of the library, so that each test starts with the module-wide
// values as a freshly loaded module has them.
class FreshModule
{
public:
    FreshModule()
    {
        const QString copy = m_dir.filePath(QStringLiteral("libLumoUserMag.so"));
        EXPECT_TRUE(QFile::copy(QStringLiteral(LUMO_MODULE_PATH), copy));
        m_library.setFileName(copy);
        EXPECT_TRUE(m_library.load()) << qPrintable(m_library.errorString());
        create = reinterpret_cast<CreateFn>(m_library.resolve("CreateModule"));
        free = reinterpret_cast<FreeFn>(m_library.resolve("FreeModule"));
        refresh = reinterpret_cast<RefreshFn>(m_library.resolve("RefreshModule"));
        info = reinterpret_cast<InfoFn>(m_library.resolve("GetModuleInfo"));
    }

    CreateFn create = nullptr;
    FreeFn free = nullptr;
    RefreshFn refresh = nullptr;
    InfoFn info = nullptr;

private:
    QTemporaryDir m_dir;
    QLibrary m_library;  // left loaded: windows it made may outlive the test object
};

// A session with the host objects the window needs while it is created.
struct Session
{
    RecordingSession session;
    TestHostDispatch dispatch;
    TestCodePicker picker;
    data::ClientDataSet rights;
    Session()
    {
        session.HostDispatch = &dispatch;
        session.CodePicker = &picker;
        session.AppPath = QStringLiteral("/nonexistent");
        session.RightsData = &rights;
    }
};

QStringList dynamicExports(const QString &library)
{
    QProcess nm;
    nm.start(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--defined-only"), library});
    EXPECT_TRUE(nm.waitForFinished(30000));
    QStringList names;
    for (const QString &line : QString::fromLocal8Bit(nm.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (parts.size() == 3)
            names << parts.at(2);
    }
    names.sort();
    return names;
}

} // namespace

TEST(ModuleLibrary, ExportsExactlyTheFourEntryPoints)
{
    const QStringList names = dynamicExports(QStringLiteral(LUMO_MODULE_PATH));
    EXPECT_EQ(names, (QStringList{QStringLiteral("CreateModule"), QStringLiteral("FreeModule"),
                                  QStringLiteral("GetModuleInfo"), QStringLiteral("RefreshModule")}))
        << qPrintable(names.join(QLatin1Char(' ')));
}

TEST(ModuleLibrary, RegistrationTextIsTheGbkTextWithItsZero)
{
    FreshModule module;
    QByteArray buffer(100, '\x7f');
    char *data = buffer.data();
    ASSERT_EQ(module.info(12345, &data), 0);
    const QByteArray expected =
        unicodeToGbk(QStringLiteral("MRegisterMZ,Logic(业务管理),CRegClinic(参合门诊报销登记),2(1),"));
    ASSERT_EQ(expected.size(), 62);
    EXPECT_EQ(buffer.left(62), expected);
    EXPECT_EQ(buffer.at(62), '\0');
    EXPECT_EQ(buffer.at(63), '\x7f') << "exactly 63 bytes are copied";
}

TEST(ModuleLibrary, FreeBeforeCreateTouchesNothing)
{
    FreshModule module;
    auto *bystander = new QWidget;
    QPointer<QWidget> alive(bystander);
    void *window = bystander;
    EXPECT_EQ(module.free(&window), 0);
    EXPECT_TRUE(alive) << "a window the module never made must not be destroyed";
    EXPECT_EQ(window, bystander);
    delete bystander;
    EXPECT_EQ(module.refresh(-1, 99), 0);
}

TEST(ModuleLibrary, TwoCreatesGiveTwoWindowsAndFreeDestroysTheOneNamed)
{
    FreshModule module;
    Session first, second;
    void *w1 = nullptr;
    void *w2 = nullptr;
    std::int32_t r1 = -1, r2 = -1;
    ASSERT_EQ(module.create(&w1, 1, 2, 3, 4, 5, &first.session, &r1), 0);
    ASSERT_EQ(module.create(&w2, 0, 0, 0, 0, 0, &second.session, &r2), 0);
    EXPECT_EQ(r1, 0);
    EXPECT_EQ(r2, 0);
    ASSERT_NE(w1, nullptr);
    ASSERT_NE(w2, nullptr);
    EXPECT_NE(w1, w2);
    auto *window1 = static_cast<QWidget *>(w1);
    EXPECT_EQ(window1->windowTitle(), QStringLiteral("医疗服务单位设置"));
    EXPECT_FALSE(window1->isVisible()) << "the host shows the window, not the module";

    QPointer<QWidget> alive1(window1), alive2(static_cast<QWidget *>(w2));
    void *handle = w1;
    EXPECT_EQ(module.free(&handle), 0);
    EXPECT_FALSE(alive1);
    EXPECT_TRUE(alive2);
    EXPECT_EQ(handle, w1) << "the caller's variable keeps its value";
    handle = w2;
    EXPECT_EQ(module.free(&handle), 0);
    EXPECT_FALSE(alive2);
}

TEST(ModuleLibrary, AFailingCreateReturnsAFailureAndLeavesTheOutArgumentsAlone)
{
    FreshModule module;
    Session s;
    // setup.ini names a photo-server user, so creating the window decodes it
    // through the host; a host without that member makes the creation fail.
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("setup.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[PhotoFTP]\nFTPServer=10.0.0.1\nFTPUser=dXNlcg==\n");
    ini.close();
    s.session.AppPath = dir.path();
    QObject noDispatch;
    s.session.HostDispatch = &noDispatch;

    void *window = reinterpret_cast<void *>(0x1234);
    std::int32_t result = 77;
    EXPECT_EQ(module.create(&window, 0, 0, 0, 0, 0, &s.session, &result), kFailure);
    EXPECT_EQ(window, reinterpret_cast<void *>(0x1234));
    EXPECT_EQ(result, 77);
}
