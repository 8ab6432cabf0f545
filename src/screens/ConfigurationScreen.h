#pragma once

#include "screens/ConfigurationScreenForm.h"
#include "support/dialogs.h"

#include <QList>
#include <QMainWindow>

namespace fw {

class Station;
struct StationSettings;

// The configuration screen: tournament-level choices, loaded once per run at the end of
// start-up (which also loads the stored grids), afterwards only hidden and shown.
class ConfigurationScreen : public QMainWindow {
    Q_OBJECT
public:
    explicit ConfigurationScreen(Station& station, QWidget* parent = nullptr);

    ConfigurationScreenForm& form() { return m_form; }

    // The contact picture file extension.
    QString pictureExtension() const { return m_pictureExtension; }

public Q_SLOTS:
    // Shows the stored choices; each control's handler runs, which writes its key back.
    void loadSettings();
    // Stores the choices, notes the new configuration in the results file and goes back to
    // the main screen.
    void exitAndSave();
    void findSkierNameFile();
    void findResultsFile();

    void tournamentEdited();
    void resultsFileEdited();
    void picturesFolderEdited();
    void setupFilesFolderEdited();
    void skierNameFileEdited();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // One option of a group and the stored value it stands for.
    struct OptionValue {
        QRadioButton* option;
        QString value;
    };
    using ApplyValue = void (ConfigurationScreen::*)(const QString&);
    struct OptionGroup {
        QList<OptionValue> options;
        ApplyValue apply;
    };

    void connectControls();
    void connectGroup(const OptionGroup& group);
    // Checks the option of `value` as the program does: its handler runs.
    void checkOption(const OptionGroup& group, const QString& value);

    void loadPaths(const StationSettings& stored);
    void loadGrids(const StationSettings& stored);
    void loadTournamentChoices(const StationSettings& stored);
    void loadSkierNames();

    void setMessageColor(const QString& name);
    void setImpactColor(const QString& name);
    void setGridCount(const QString& count);
    void setJumpDirection(const QString& direction);
    void setBuoyMarker(const QString& marker);
    void setPictureSave(const QString& policy);
    void setVideoSave(const QString& policy);
    void lineControlClicked();
    void barefootClicked();
    void sitSkiClicked();
    void wstimsClicked();
    void magnifierClicked();
    void updateTournamentType();
    void startMagnifier();
    // The file dialog of the "find" buttons: the station folder, text files first.
    FileDialogRequest fileRequest() const;

    Station& m_station;
    ConfigurationScreenForm m_form;
    OptionGroup m_messageColors;
    OptionGroup m_impactColors;
    OptionGroup m_gridCounts;
    OptionGroup m_directions;
    OptionGroup m_markers;
    OptionGroup m_pictureSave;
    OptionGroup m_videoSave;
    QString m_pictureExtension;
    bool m_ownMagnifierTold = false;
};

} // namespace fw
