#pragma once

#include <QMainWindow>

namespace fw {

class Station;

// The main screen: grid status, navigation to the other screens, the capture panel.
class MainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit MainForm(Station& station, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Station& m_station;
};

} // namespace fw
