// The main window: menus, tool bar and status bar around the MDI client, all built from the
// command table; hints show in the status bar.
#pragma once

#include <QMainWindow>

#include <map>
#include <vector>

class OrvantMDIClient;
class QAction;
class QLabel;
class QMenu;
class QToolBar;

class TDecMDIFrame : public QMainWindow {
    Q_OBJECT
public:
    // Takes the client as its central widget.
    TDecMDIFrame(const QString& title, OrvantMDIClient* client);
    ~TDecMDIFrame() override;

    OrvantMDIClient* Client() const { return client_; }
    QAction* Action(int id) const;
    QMenu* Menu(int index) const;
    QToolBar* ToolBar() const { return toolBar_; }

    // The short (no site list) or full tool bar.
    void SetToolBarLayout(bool full);
    bool IsFullToolBar() const { return full_; }
    // Status gadgets: 0 the site line (hints cover it while shown), 1 time, 2 readout, 3
    // obstructions, 4 cut-off angle.
    void SetGadgetText(int gadget, const QString& text);
    QString GadgetText(int gadget) const;
    // The systems kept on that have no orbits at the planning date; empty hides the pane.
    void SetOrbitsText(const QString& text);
    // "Terrain" while the current site's satellites are hidden behind the terrain; empty hides it.
    void SetTerrainText(const QString& text);
    QString OrbitsText() const;
    // Enabled and checked states of every command, from the client's current state.
    void UpdateCommandStates();

    // 36/40 of the screen's width and 34/40 of its height, centred.
    static QRect InitialGeometry(const QSize& screen);

    QMenu* RecentMenu() const { return recent_; }
    // The recent site lists as the menu shows them now.
    void FillRecentMenu();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    void BuildStatusBar();

    OrvantMDIClient* client_;
    QToolBar* toolBar_ = nullptr;
    QMenu* recent_ = nullptr;
    std::map<int, QAction*> actions_;
    std::vector<QMenu*> menus_;
    QLabel* gadgets_[5] = {};
    QLabel* orbits_ = nullptr;
    QLabel* terrain_ = nullptr;
    bool full_ = false;
};
