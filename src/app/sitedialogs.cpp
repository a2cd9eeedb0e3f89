#include "app/sitedialogs.h"

#include "app/mdiclient.h"
#include "sites/ui/sitedialog.h"

void InstallSiteDialogs() {
    ClientDialogs& dialogs = InstalledDialogs();
    dialogs.siteEditor = [](QWidget* parent, project& list) {
        SiteDialog dialog(parent, list);
        return dialog.exec() == 1;
    };
}
