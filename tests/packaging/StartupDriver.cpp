// A Qt plugin that the package test loads into the installed station (QT_QPA_GENERIC_PLUGINS)
// to get it through its start-up questions as an operator pressing Enter would, and to say on
// stderr when the configuration screen is shown. The station itself is not changed for the test.

#include <QApplication>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

class StartupDriver : public QObject {
public:
    StartupDriver()
    {
        connect(&m_poll, &QTimer::timeout, this, [this] { look(); });
        m_poll.start(100);
    }

private:
    void look()
    {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::fprintf(stderr, "driver: answered \"%s\"\n", qPrintable(box->text()));
            if (QPushButton* enter = box->defaultButton())
                enter->click();
            else
                box->accept();
            return;
        }
        if (QWidget* other = QApplication::activeModalWidget()) {
            // Anything else would need typing: say so once and leave it for the test to fail.
            if (!m_reported) {
                std::fprintf(stderr, "driver: unexpected question \"%s\"\n",
                             qPrintable(other->windowTitle()));
                m_reported = true;
            }
            return;
        }
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() &&
                w->windowTitle() == QLatin1String("System Configuration Parameters")) {
                std::fprintf(stderr, "driver: configuration screen shown\n");
                m_poll.stop();
                return;
            }
        }
    }

    QTimer m_poll;
    bool m_reported = false;
};

} // namespace

class StartupDriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "startupdriver.json")
public:
    QObject* create(const QString&, const QString&) override { return new StartupDriver; }
};

#include "StartupDriver.moc"
