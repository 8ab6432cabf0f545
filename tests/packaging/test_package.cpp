// The Debian package as a user gets it: unpacked without root, its programs run from where it
// puts them, and its menu entries, metainfo and manual pages checked by the tools that read them.

#include "SampleGrid.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QString& program, const QStringList& args,
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("%1 did not finish: %2").arg(program, p.errorString());
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

QString tool(const char* name)
{
    return QStandardPaths::findExecutable(QLatin1String(name));
}

QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The package made by the test fixture, unpacked into a temporary folder.
class UnpackedPackage {
public:
    UnpackedPackage()
    {
        const QStringList debs =
            QDir(QStringLiteral(PACKAGE_DIR))
                .entryList({QStringLiteral("farwater_*.deb")}, QDir::Files, QDir::Name);
        if (debs.size() != 1) {
            m_error = QStringLiteral("expected one farwater_*.deb in %1, found %2")
                          .arg(QStringLiteral(PACKAGE_DIR))
                          .arg(debs.size());
            return;
        }
        m_deb = QStringLiteral(PACKAGE_DIR "/") + debs.first();
        const Run x = run(tool("dpkg-deb"), {QStringLiteral("-x"), m_deb, root()});
        if (x.exitCode != 0)
            m_error = QStringLiteral("dpkg-deb -x failed: ") + x.err;
    }

    QString error() const { return m_error; }
    QString deb() const { return m_deb; }
    QString root() const { return m_dir.path() + QStringLiteral("/root"); }
    QString path(const QString& inside) const { return root() + QStringLiteral("/usr/") + inside; }
    QString scratch() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_deb;
    QString m_error;
};

// Skips the test when a tool it needs is not installed (scripts/setup installs them all).
#define NEED_TOOL(name)                                                                            \
    do {                                                                                           \
        if (tool(name).isEmpty())                                                                  \
            QSKIP(name " is not installed (Debian: scripts/setup installs it)");                   \
    } while (false)

#define UNPACK(var)                                                                                \
    NEED_TOOL("dpkg-deb");                                                                         \
    NEED_TOOL("dpkg-shlibdeps");                                                                   \
    UnpackedPackage var;                                                                           \
    QVERIFY2(var.error().isEmpty(), qPrintable(var.error()))

QProcessEnvironment programEnvironment(const QString& scratch)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), scratch + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), scratch + QStringLiteral("/home/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), scratch + QStringLiteral("/home/.local/share"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), scratch + QStringLiteral("/run"));
    env.insert(QStringLiteral("TMPDIR"), scratch + QStringLiteral("/temp"));
    for (const char* folder : {"home", "run", "temp"})
        QDir(scratch).mkpath(QLatin1String(folder));
    QFile::setPermissions(scratch + QStringLiteral("/run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return env;
}

// The long options a program's --help lists (for the manual page's coverage).
QStringList longOptions(const QString& help)
{
    QStringList options;
    static const QRegularExpression option(QStringLiteral("(?:^|[\\s,\\[])(--[a-z][a-z-]*)"));
    for (auto it = option.globalMatch(help); it.hasNext();) {
        const QString o = it.next().captured(1);
        if (!options.contains(o))
            options << o;
    }
    return options;
}

// A manual page as man shows it on an 80-column terminal; the warnings man and groff give.
Run renderPage(const QString& page)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
    env.remove(QStringLiteral("MAN_KEEP_FORMATTING"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    Run r = run(tool("man"), {QStringLiteral("--warnings"), QStringLiteral("-l"), page}, env);
    // The page without its hyphenation, for looking words up.
    r.out.replace(QRegularExpression(QStringLiteral("[\\x{2010}-]\\n\\s+")), QString());
    r.out.replace(QChar(0x2010), QLatin1Char('-')).replace(QChar(0x2212), QLatin1Char('-'));
    return r;
}

} // namespace

class TestPackage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Both programs run from the unpacked package: the versions are the build's, the companion
    // computes a distance on a grid file, and the demo station reaches its configuration screen
    // and ends cleanly.
    void programsRunFromThePackage();
    // The control fields: the build's version, and the library packages found from the
    // programs themselves, with the window system plugins they load at run time.
    void packageDeclaresVersionAndDependencies();
    // The menu entries validate and start programs the package holds, and the icon they name
    // is there at every size.
    void menuEntriesAndIcon();
    // The metainfo validates, names the build's version and the package's menu entry, and its
    // screenshots are pictures of this project.
    void metainfo();
    // Both manual pages render without warnings, carry the version, and cover every command
    // and option the programs' --help lists; the operator's manual comes with its pictures.
    void manualPages();
};

void TestPackage::programsRunFromThePackage()
{
    UNPACK(package);
    const QProcessEnvironment env = programEnvironment(package.scratch());
    const QString cli = package.path(QStringLiteral("bin/farwater-cli"));
    const QString station = package.path(QStringLiteral("bin/farwater"));

    const Run cliVersion = run(cli, {QStringLiteral("--version")}, env);
    QCOMPARE(cliVersion.exitCode, 0);
    QCOMPARE(cliVersion.out.section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("farwater-cli " FARWATER_VERSION));
    const Run stationVersion = run(station, {QStringLiteral("--version")}, env);
    QCOMPARE(stationVersion.exitCode, 0);
    QCOMPARE(stationVersion.out.trimmed(), QStringLiteral("Farwater " FARWATER_VERSION));

    // The sample grid's survey (50, 20) lies 50 m from its jump point (0, 20): 52.1 m with the
    // normal ramp offset.
    const QString grid = package.scratch() + QStringLiteral("/left.ipt");
    QVERIFY(fw::test::writeSampleGrid(grid, 1));
    const fw::ScreenPoint landing = fw::test::samplePicturePoint(50, 20);
    const Run distance = run(
        cli,
        {QStringLiteral("distance"), grid, QString::number(landing.x), QString::number(landing.y)},
        env);
    QVERIFY2(distance.exitCode == 0, qPrintable(distance.err));
    QVERIFY2(distance.out.contains(QLatin1String("\nmeters: 52.1\nfeet: 171\n")),
             qPrintable(distance.out));

    // The demo station, driven through its start-up questions as Enter would answer them.
    QProcessEnvironment demoEnv = env;
    demoEnv.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(DRIVER_PLUGIN_DIR));
    demoEnv.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"),
                   QStringLiteral("farwaterstartupdriver"));
    QProcess demo;
    demo.setProcessEnvironment(demoEnv);
    demo.start(station, {QStringLiteral("--demo")});
    QByteArray errors;
    static const QRegularExpression announced(
        QStringLiteral("demo station in (.+) \\(removed at exit\\)"));
    for (int waited = 0; waited < 120 && !errors.contains("configuration screen shown"); ++waited) {
        if (!demo.waitForReadyRead(500) && demo.state() == QProcess::NotRunning)
            break;
        errors += demo.readAllStandardError();
    }
    const QString folder = announced.match(QString::fromLocal8Bit(errors)).captured(1);
    QVERIFY2(errors.contains("configuration screen shown"), errors.constData());
    QVERIFY(folder.startsWith(package.scratch() + QStringLiteral("/temp/")));
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/Farwater.ini")));

    demo.terminate();
    QVERIFY(demo.waitForFinished(20000));
    QCOMPARE(demo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(demo.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(folder));
}

void TestPackage::packageDeclaresVersionAndDependencies()
{
    UNPACK(package);
    const Run fields =
        run(tool("dpkg-deb"), {QStringLiteral("--field"), package.deb(), QStringLiteral("Package"),
                               QStringLiteral("Version"), QStringLiteral("Depends")});
    QCOMPARE(fields.exitCode, 0);
    QVERIFY(fields.out.contains(QLatin1String("Package: farwater\n")));
    QVERIFY(fields.out.contains(QLatin1String("Version: " FARWATER_VERSION "\n")));
    const QString depends = fields.out.section(QStringLiteral("Depends: "), 1);
    for (const char* library :
         {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libavformat[0-9]+", "libavcodec[0-9]+",
          "libavdevice[0-9]+", "libavutil[0-9]+", "libswscale[0-9]+", "qt6-qpa-plugins"}) {
        const QRegularExpression named(QStringLiteral("(^|, )%1( |,|$)").arg(library),
                                       QRegularExpression::MultilineOption);
        QVERIFY2(named.match(depends).hasMatch(), qPrintable(library + (": " + depends)));
    }
}

void TestPackage::menuEntriesAndIcon()
{
    NEED_TOOL("desktop-file-validate");
    UNPACK(package);
    const QString applications = package.path(QStringLiteral("share/applications/"));
    const QStringList expected = {QStringLiteral("farwater"), QStringLiteral("farwater --demo")};
    QStringList execs;
    for (const char* entry : {"farwater.desktop", "farwater-demo.desktop"}) {
        const QString file = applications + QLatin1String(entry);
        const Run v = run(tool("desktop-file-validate"), {file});
        QVERIFY2(v.exitCode == 0 && v.out.isEmpty() && v.err.isEmpty(), qPrintable(v.out + v.err));
        const QString text = readText(file);
        QVERIFY2(text.contains(QLatin1String("\nIcon=farwater\n")), entry);
        const QString exec =
            QRegularExpression(QStringLiteral("\nExec=([^\n]*)\n")).match(text).captured(1);
        execs << exec;
        QVERIFY2(
            QFileInfo(package.path(QStringLiteral("bin/") + exec.section(QLatin1Char(' '), 0, 0)))
                .isExecutable(),
            qPrintable(exec));
    }
    QCOMPARE(execs, expected);

    const QString hicolor = package.path(QStringLiteral("share/icons/hicolor/"));
    for (const int size : {48, 128, 256}) {
        const QImage icon(hicolor + QStringLiteral("%1x%1/apps/farwater.png").arg(size));
        QCOMPARE(icon.size(), QSize(size, size));
    }
    QVERIFY(readText(hicolor + QStringLiteral("scalable/apps/farwater.svg"))
                .contains(QLatin1String("<svg")));
}

void TestPackage::metainfo()
{
    NEED_TOOL("appstreamcli");
    UNPACK(package);
    const QStringList files = QDir(package.path(QStringLiteral("share/metainfo")))
                                  .entryList({QStringLiteral("*.metainfo.xml")}, QDir::Files);
    QCOMPARE(files.size(), 1);
    const QString file = package.path(QStringLiteral("share/metainfo/")) + files.first();
    const Run v = run(tool("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                             QStringLiteral("--pedantic"), file});
    QVERIFY2(v.exitCode == 0, qPrintable(v.out + v.err));

    const QString text = readText(file);
    QVERIFY(text.contains(QLatin1String("<release version=\"" FARWATER_VERSION "\"")));
    const QString desktopId =
        QRegularExpression(QStringLiteral("<launchable type=\"desktop-id\">([^<]+)<"))
            .match(text)
            .captured(1);
    QVERIFY(QFileInfo::exists(package.path(QStringLiteral("share/applications/")) + desktopId));
    int screenshots = 0;
    static const QRegularExpression image(QStringLiteral("<image>[^<]*/screens/([^/<]+)</image>"));
    for (auto it = image.globalMatch(text); it.hasNext(); ++screenshots) {
        const QString name = it.next().captured(1);
        QVERIFY2(QFileInfo::exists(QStringLiteral(SCREENS_DIR "/") + name), qPrintable(name));
    }
    QVERIFY(screenshots >= 4);
}

void TestPackage::manualPages()
{
    NEED_TOOL("man");
    UNPACK(package);
    const QProcessEnvironment env = programEnvironment(package.scratch());
    for (const char* program : {"farwater", "farwater-cli"}) {
        const QString page =
            package.path(QStringLiteral("share/man/man1/%1.1.gz").arg(QLatin1String(program)));
        const Run rendered = renderPage(page);
        QVERIFY2(rendered.exitCode == 0 && rendered.err.isEmpty(), qPrintable(rendered.err));
        QVERIFY2(rendered.out.contains(QLatin1String("Farwater " FARWATER_VERSION)), program);

        const QString binary = package.path(QStringLiteral("bin/")) + QLatin1String(program);
        const Run help = run(binary, {QStringLiteral("--help")}, env);
        QCOMPARE(help.exitCode, 0);
        QStringList covered = longOptions(help.out);
        QVERIFY(covered.contains(QStringLiteral("--version")));
        if (QLatin1String(program) == QLatin1String("farwater-cli")) {
            // The commands are the first words of the usage's two-space lines.
            static const QRegularExpression command(QStringLiteral("\n  ([a-z][a-z-]+) [A-Z]"));
            for (auto it = command.globalMatch(help.out); it.hasNext();)
                covered << it.next().captured(1);
            QVERIFY(covered.contains(QStringLiteral("grab")));
        }
        for (const QString& word : covered)
            QVERIFY2(
                rendered.out.contains(QRegularExpression(
                    QStringLiteral("(^|[\\s,\\[|])%1\\b").arg(QRegularExpression::escape(word)))),
                qPrintable(QStringLiteral("%1(1) does not mention %2").arg(program, word)));
    }

    // The operator's manual, with every picture it shows.
    const QString doc = package.path(QStringLiteral("share/doc/farwater/"));
    const QString manual = readText(doc + QStringLiteral("manual.md"));
    QVERIFY(!manual.isEmpty());
    static const QRegularExpression picture(QStringLiteral("!\\[[^\\]]*\\]\\(([^)]+)\\)"));
    int pictures = 0;
    for (auto it = picture.globalMatch(manual); it.hasNext(); ++pictures) {
        const QString name = it.next().captured(1);
        QVERIFY2(QFileInfo::exists(doc + name), qPrintable(name + QStringLiteral(" is missing")));
    }
    QVERIFY(pictures > 0);
}

QTEST_MAIN(TestPackage)
#include "test_package.moc"
