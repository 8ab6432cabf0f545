// farwater-cli as the technical controller runs it.

#include <QProcess>
#include <QTest>

class TestCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void helpAndVersion();
    void badArgumentsExitWith2();
};

namespace {
struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runCli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(FARWATER_CLI), args);
    Run r;
    if (!p.waitForFinished(30000))
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}
} // namespace

void TestCli::helpAndVersion()
{
    const Run help = runCli({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.startsWith(QLatin1String("Usage: farwater-cli")));
    const Run version = runCli({QStringLiteral("--version")});
    QCOMPARE(version.exitCode, 0);
    QVERIFY(version.out.startsWith(QLatin1String("farwater-cli ")));
    QVERIFY(version.out.contains(QLatin1String("libavformat ")));
}

void TestCli::badArgumentsExitWith2()
{
    const Run none = runCli({});
    QCOMPARE(none.exitCode, 2);
    const Run unknown = runCli({QStringLiteral("frobnicate")});
    QCOMPARE(unknown.exitCode, 2);
    QVERIFY(unknown.err.contains(QLatin1String("unknown command")));
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
