// The About box (dialog 211) and the splash picture shown while the main window is set up.
#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <QPixmap>

class QLabel;

// The version texts compiled into the program; either may be absent.
struct ProjectRCVersion {
    const char* productVersion = nullptr;
    const char* legalCopyright = nullptr;
    static ProjectRCVersion FromBuild();
};

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(QWidget* parent, const ProjectRCVersion& version = ProjectRCVersion::FromBuild());
};

// The program's icon (771) and splash picture (616).
QIcon ProgramIcon();
QPixmap SplashPixmap();

// The splash: centred on the screen, closed at the second tick of a 750 ms timer.
class LogoWindow : public QWidget {
    Q_OBJECT
public:
    explicit LogoWindow(QWidget* parent);
    // Shows the window and waits until it has closed itself.
    void Execute();
    QPoint centredPosition() const { return position_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPixmap picture_;
    QPoint position_;
    QBasicTimer timer_;
    bool closed_ = false;
};

// Ticks of the splash timer seen so far in this run.
int SplashTickCount();
// Whether the splash is wanted: not with TAVRIN_NO_SPLASH=1 or --no-splash.
bool SplashWanted();
void SetSplashWanted(bool wanted);
