#pragma once

#include <QMainWindow>

#include <optional>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace fw {

class Station;

// The configuration screen: tournament-level choices, loaded once per run at the end of
// start-up (which also loads the stored grids), afterwards only hidden and shown.
class ConfigurationScreen : public QMainWindow {
    Q_OBJECT
public:
    explicit ConfigurationScreen(Station& station, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* TournamentName = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* ResultsPathName = nullptr;
    QPushButton* btnFindResults = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* CapturesPathName = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* SetupFilesPathName = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* SkierNameFile = nullptr;
    QPushButton* btnFindNames = nullptr;
    QGroupBox* gridframe = nullptr;
    QRadioButton* Opt1Grid = nullptr;
    QRadioButton* Opt2grid = nullptr;
    QRadioButton* Opt3grid = nullptr;
    QCheckBox* Barefoot_box = nullptr;
    QCheckBox* SitSki_box = nullptr;
    QGroupBox* Jump_direction = nullptr;
    QRadioButton* right_to_left_button = nullptr;
    QRadioButton* left_to_right_button = nullptr;
    QCheckBox* line_control_check = nullptr;
    QCheckBox* WSTIMS = nullptr;
    QLabel* QXIOLabel = nullptr;
    QCheckBox* chkLoupe = nullptr;
    QPushButton* cmdLoupe = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* OptCross = nullptr;
    QRadioButton* OptCircle = nullptr;
    QGroupBox* message_colors = nullptr;
    QRadioButton* white_color = nullptr;
    QRadioButton* black_color = nullptr;
    QRadioButton* yellow_color = nullptr;
    QRadioButton* default_color = nullptr;
    QGroupBox* Frame4 = nullptr;
    QRadioButton* OptImpactWhite = nullptr;
    QRadioButton* OptImpactBlack = nullptr;
    QRadioButton* OptImpactYellow = nullptr;
    QRadioButton* OptImpactRed = nullptr;
    QGroupBox* Frame3 = nullptr;
    QRadioButton* OptPictureAsk = nullptr;
    QRadioButton* OptPictureNoSave = nullptr;
    QRadioButton* OptPictureSave = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* OptVideoAsk = nullptr;
    QRadioButton* OptVideoNoSave = nullptr;
    QRadioButton* OptVideoSave = nullptr;
    QAction* mnuExit = nullptr;

    // The contact picture file extension.
    QString pictureExtension() const { return m_pictureExtension; }

public Q_SLOTS:
    void Form_Load();
    void mnuExit_Click();

    void white_color_Click();
    void black_color_Click();
    void yellow_color_Click();
    void default_color_Click();
    void OptImpactWhite_Click();
    void OptImpactBlack_Click();
    void OptImpactYellow_Click();
    void OptImpactRed_Click();
    void Opt1Grid_Click();
    void Opt2grid_Click();
    void Opt3grid_Click();
    void left_to_right_button_Click();
    void right_to_left_button_Click();
    void line_control_check_Click();
    void Barefoot_box_Click();
    void SitSki_box_Click();
    void WSTIMS_Click();
    void chkLoupe_Click();
    void cmdLoupe_Click();
    void OptCircle_Click();
    void OptCross_Click();
    void OptPictureAsk_Click();
    void OptPictureNoSave_Click();
    void OptPictureSave_Click();
    void OptVideoAsk_Click();
    void OptVideoNoSave_Click();
    void OptVideoSave_Click();
    void TournamentName_Change();
    void ResultsPathName_Change();
    void CapturesPathName_Change();
    void SetupFilesPathName_Change();
    void SkierNameFile_Change();
    void btnFindNames_Click();
    void btnFindResults_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setLabelColor(const QString& name);
    void setImpactColor(const QString& name);
    void setGridCount(int count);
    void updateTournamentType();
    void startMagnifier();
    std::optional<QString> findFile();

    Station& m_station;
    QString m_pictureExtension;
    bool m_ownMagnifierTold = false;
};

} // namespace fw
