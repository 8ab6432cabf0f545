// `farwater --demo` as the operator starts it: a station in a folder of its own, seeded and
// removed again, never touching the user's own station settings.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// One demo station run as its own program, with its temporary folder and home below `root`.
class DemoRun {
public:
    explicit DemoRun(const QString& root)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), root + QStringLiteral("/temp"));
        env.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/home/.config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/run"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(FARWATER_EXE), {QStringLiteral("--demo")});
    }
    ~DemoRun()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }

    // The folder the program announces once it is seeded; empty when it never does.
    QString waitForFolder()
    {
        static const QRegularExpression announced(
            QStringLiteral("demo station in (.+) \\(removed at exit\\)"));
        for (int waited = 0; waited < 60; ++waited) {
            const auto match = announced.match(QString::fromLocal8Bit(m_stderr));
            if (match.hasMatch())
                return match.captured(1);
            if (!m_process.waitForReadyRead(500) && m_process.state() == QProcess::NotRunning)
                break;
            m_stderr += m_process.readAllStandardError();
        }
        return {};
    }

    QProcess& process() { return m_process; }
    QByteArray errors() const { return m_stderr; }

private:
    QProcess m_process;
    QByteArray m_stderr;
};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestDemoStart : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Seeded through the station's writers in its own folder, the Demo Camera selected, the
    // user's settings untouched; asked to end, it removes its folder and ends normally.
    void demoStationLivesInItsOwnFolder();
    // A demo killed outright cannot clean up: the next demo to start removes its folder, and
    // never the folder of a demo still running, nor anything behind a link.
    void killedDemoIsSweptByTheNext();
};

void TestDemoStart::demoStationLivesInItsOwnFolder()
{
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("temp")));
    DemoRun demo(root.path());
    const QString folder = demo.waitForFolder();
    QVERIFY2(!folder.isEmpty(), demo.errors().constData());
    QVERIFY(folder.startsWith(root.path() + QStringLiteral("/temp/farwater-demo-")));

    const QString ini = folder + QStringLiteral("/Farwater.ini");
    const QString grid = folder + QStringLiteral("/Setup/democourse.ipt");
    const QByteArray settings = readAll(ini);
    QVERIFY(settings.contains("grid1File=" + grid.toLocal8Bit()));
    QVERIFY(settings.contains("logpath=" + folder.toLocal8Bit() + "/Videos"));
    // Grids are saved in the demo's own setup folder.
    QVERIFY(settings.contains("SetupFiles=" + folder.toLocal8Bit() + "/Setup"));
    // Grid 1 holds the coefficients, the jump point and the four buoys; the check buoy beside it.
    QVERIFY(readAll(grid).count("\r\n") >= 19);
    QVERIFY(readAll(grid + QStringLiteral(".cb")).contains("\r\n"));
    QVERIFY(readAll(folder + QStringLiteral("/Station/SkierNames.txt")).contains("Smith,John\r\n"));
    QTRY_VERIFY_WITH_TIMEOUT(readAll(ini).contains("\ndevice="), 20000);

    demo.process().terminate();
    QVERIFY(demo.process().waitForFinished(20000));
    QCOMPARE(demo.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(demo.process().exitCode(), 0);
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(!QFileInfo::exists(root.path() + QStringLiteral("/home/.config/QX05")));
}

void TestDemoStart::killedDemoIsSweptByTheNext()
{
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("temp")));
    auto killed = std::make_unique<DemoRun>(root.path());
    const QString killedFolder = killed->waitForFolder();
    DemoRun running(root.path());
    const QString runningFolder = running.waitForFolder();
    QVERIFY(!killedFolder.isEmpty() && !runningFolder.isEmpty() && killedFolder != runningFolder);

    killed->process().kill();
    QVERIFY(killed->process().waitForFinished(10000));
    killed.reset();
    QVERIFY(QFileInfo::exists(killedFolder));
    // A link that looks like an abandoned demo folder: what it points to is never touched.
    const QString victim = root.path() + QStringLiteral("/victim");
    QVERIFY(QDir().mkpath(victim));
    QVERIFY(QFile::copy(killedFolder + QStringLiteral("/demo.lock"),
                        victim + QStringLiteral("/demo.lock")));
    QVERIFY(QFile::link(victim, root.path() + QStringLiteral("/temp/farwater-demo-link")));

    DemoRun next(root.path());
    QVERIFY(!next.waitForFolder().isEmpty());
    QVERIFY(!QFileInfo::exists(killedFolder));
    QVERIFY(QFileInfo::exists(runningFolder + QStringLiteral("/Farwater.ini")));
    QVERIFY(QFileInfo::exists(victim + QStringLiteral("/demo.lock")));
}

QTEST_MAIN(TestDemoStart)
#include "test_demo_start.moc"
