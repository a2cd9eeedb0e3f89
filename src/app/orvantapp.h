// The application object: language module, help, the main window and its start.
#pragma once

#include <QString>

#include <memory>

class OrvantMDIClient;
class PlanSession;
class TDecMDIFrame;

// The 60-day almanac age check against the planning date. Shows nothing and answers IDYES when the
// almanac is within the limit; else one box (caption "Information", no owner) with `style`, whose
// answer it returns. A choice of buttons adds the question whether to continue.
int ShowAlmanacAgeWarning(const PlanSession& session, unsigned style);

class OrvantApp {
public:
    // Loads the language file when there is one and sets up the F1 key. Needs a QApplication.
    OrvantApp();
    // Destroys the main window: the client writes the configuration.
    ~OrvantApp();
    OrvantApp(const OrvantApp&) = delete;
    OrvantApp& operator=(const OrvantApp&) = delete;

    // The client (it reads the configuration), the frame with its menus and bars.
    void InitMainWindow();
    // Sets the client up (splash, almanac), shows the frame, then the almanac age check, or the
    // satellite configuration when no almanac could be loaded. With `siteList`, opens that list.
    void InitInstance(const QString& siteList = QString());
    // The message loop; its result is the exit code.
    int Run();

    TDecMDIFrame* Frame() const { return frame_.get(); }
    OrvantMDIClient* Client() const { return client_; }

private:
    std::unique_ptr<TDecMDIFrame> frame_;
    OrvantMDIClient* client_ = nullptr; // owned by the frame
};
